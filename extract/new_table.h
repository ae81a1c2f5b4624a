// Building the table that replaces an item's rows after they are folded.
#pragma once

#include "table/record_table.h"

namespace comptab {

// Makes room for `rows` rows at once: folding never yields more rows than
// it is given, and growing row by row would move the rows again and again.
inline void reserveRows(RecordTable& table, int rows) {
  if (rows <= table.capacity()) return;
  table.at(rows - 1);
  table.setCount(0);
}

// `table` takes the rows of `folded`, in order, sharing their lists.
inline void replaceRows(RecordTable& table, const RecordTable& folded) {
  table.at(0);
  table.setCount(0);
  table.assign(folded);
}

}  // namespace comptab
