// Gate packaging: a part drawn as several gate symbols (and a power box)
// that share one reference becomes one row, with the gate labels
// ("NAND2:1") of its symbols in the row's strings. The KCDB must know every
// symbol's device and component; what does not fit is reported (warnings
// 38672 to 38678) and stays in the table as a row of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "table/record_table.h"

namespace comptab {

class KcdbCache;
class Reporter;
struct RunOptions;

// Packages the rows of each output item, leaving the rows themselves as
// they are, and keeps the packages of the rows made without a destination
// from the first table: those are the same in every table, so a later
// table packages only its destination's rows. A table of a million rows
// has a few percent of those.
class PackagedRows {
 public:
  // Appends the packaged rows of `rows` (sorted) to `packed`; `firstItem`
  // is 1 for the first output item, where rows without a destination are
  // reported. Copies the rows unchanged when there is no KCDB (`kcdb`
  // null). `options` give the merge texts and the optional checks.
  void package(const RunOptions& options, KcdbCache* kcdb, Reporter& reporter, const RecordTable& rows,
               RecordTable& packed, int firstItem);

 private:
  static constexpr int kUnknown = -2;
  static constexpr int kMerged = -1;
  bool sharedRowsKnown(const RecordTable& rows) const;
  void remember(const RecordTable& rows, const RecordTable& packed, const std::vector<int>& at);

  bool filled_ = false;
  // By a row's walk place: the position in kept_ of the row that stands for
  // it, kMerged for a row merged into a package.
  std::vector<int> bySequence_;
  RecordTable kept_;
};

// Packages the rows of one output item in place (the table alone); `firstItem` is 1 for the
// first output item, where rows without a destination are reported. Leaves
// the table alone when there is no KCDB.
void packageGates(const RunOptions& options, KcdbCache* kcdb, Reporter& reporter, RecordTable& table, int firstItem);

}  // namespace comptab
