// The search filter: whether a finished row enters the table.
#pragma once

namespace comptab {

class AppState;
class ComponentRecord;
struct TablePass;

// Appends `row` to `pass.table`, numbered and trimmed as the pass asks,
// unless search mode keeps it out, in which case the row is cleared. Returns 0 only when search mode has no terms at
// all (reported); the walk must stop then.
int acceptRow(AppState& app, TablePass& pass, ComponentRecord& row);

}  // namespace comptab
