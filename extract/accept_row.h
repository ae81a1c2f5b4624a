// The search filter: whether a finished row enters the table.
#pragma once

namespace comptab {

class ComponentRecord;
class PatternCache;
class Reporter;
struct RunOptions;
struct TablePass;

// Appends `row` to `pass.table`, numbered and trimmed as the pass asks,
// unless search mode (in `options`) keeps it out by the settings' terms,
// in which case the row is cleared. Returns 0 only when search mode has no
// terms at all (reported); the walk must stop then.
int acceptRow(const RunOptions& options, PatternCache& patterns, Reporter& reporter, TablePass& pass,
              ComponentRecord& row);

}  // namespace comptab
