// Gate packaging: a part drawn as several gate symbols (and a power box)
// that share one reference becomes one row, with the gate labels
// ("NAND2:1") of its symbols in the row's strings. The KCDB must know every
// symbol's device and component; what does not fit is reported (warnings
// 38672 to 38678) and stays in the table as a row of its own.
#pragma once

namespace comptab {

class AppState;
class RecordTable;

// Packages the rows of one output item in place; `firstItem` is 1 for the
// first output item, where rows without a destination are reported. Leaves
// the table alone when there is no KCDB.
void packageGates(AppState& app, RecordTable& table, int firstItem);

}  // namespace comptab
