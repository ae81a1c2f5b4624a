// The search filter: whether a finished row enters the table.
#pragma once

namespace comptab {

class AppState;
class ComponentRecord;
class RecordTable;

// Appends `row` to `table` unless search mode keeps it out, in which case
// the row is cleared. Returns 0 only when search mode has no terms at all
// (reported); the walk must stop then.
int acceptRow(AppState& app, RecordTable& table, ComponentRecord& row);

}  // namespace comptab
