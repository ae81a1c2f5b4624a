// The rows a run's tables are built in, held by the App for the whole run.
#pragma once

#include <string>
#include <vector>

#include "extract/package_gates.h"
#include "table/name_census.h"
#include "table/record_table.h"

namespace comptab {

struct RunRows {
  RecordTable table;
  // Packaged and grouped rows share lists with the table's rows: letting
  // go of them (setCount) leaves the table's rows whole.
  RecordTable packed;
  RecordTable grouped;
  PackagedRows packages;
  // The property names of the table being made, and the notes on names
  // no component had, each told once a run.
  NameCensus census;
  std::vector<std::string> namesTold;
};

}  // namespace comptab
