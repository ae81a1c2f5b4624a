// The rows a run's tables are built in, held by the App for the whole run.
#pragma once

#include "extract/package_gates.h"
#include "table/record_table.h"

namespace comptab {

struct RunRows {
  RecordTable table;
  // Packaged and grouped rows share lists with the table's rows: letting
  // go of them (setCount) leaves the table's rows whole.
  RecordTable packed;
  RecordTable grouped;
  PackagedRows packages;
};

}  // namespace comptab
