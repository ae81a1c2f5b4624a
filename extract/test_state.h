// Test support: the run state without a design behind it, with the
// settings that folding rows reads, and rows as the extraction makes them.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "design/app_state.h"
#include "platform/sheet/comp_type.h"
#include "platform/support/text.h"
#include "table/record_table.h"
#include "table/test_rows.h"

namespace comptab::test {

struct TestState : AppState {
  TestState() {
    settings = std::make_unique<Settings>();
    settings->emptyCell = "-";
    settings->token = ",";
    setEcho(nullptr);
  }
  int extractComponent(const Placement&, const ComponentRef&, TablePass&, const VariantComponent*, const Destination*,
                       const std::string*) override {
    return 1;
  }
  // Messages go to a new error file in `directory` from now on.
  void logTo(const std::string& directory) {
    setDirectory(directory);
    setProgram("test" + std::to_string(++files_));
  }
  // The lines of the error file so far, without the message kind.
  std::vector<std::string> messages() const {
    std::vector<std::string> lines;
    std::ifstream in(logPath());
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(line.find(' ') + 1));
    return lines;
  }

 private:
  int files_ = 0;
};

// A row as the extraction leaves it: the type flags follow
// "componentType", the virtual-gate flag follows "isvGate".
inline ComponentRecord extractedRow(std::string_view text) {
  ComponentRecord row = makeRow(text);
  const std::string type(row.value("componentType").value_or(""));
  row.flags.gate = CompType::isGate(type) ? 1 : 0;
  row.flags.parts = CompType::isParts(type) ? 1 : 0;
  row.flags.powerBox = CompType::isPowerBox(type) ? 1 : 0;
  row.flags.virtualGate = equalsNoCase(row.value("isvGate").value_or(""), "YES") ? 1 : 0;
  return row;
}

inline void fillTable(RecordTable& table, const std::vector<std::string>& rows) {
  table.clearRows();
  for (const std::string& text : rows) {
    ComponentRecord row = extractedRow(text);
    table.at(table.count()).assign(row);
  }
}

}  // namespace comptab::test
