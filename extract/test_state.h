// Test support: the parts of a run that the extraction takes, without a
// design behind them, with the settings that folding rows reads, and rows
// as the extraction makes them.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "design/reporter.h"
#include "design/run_data.h"
#include "design/run_options.h"
#include "platform/sheet/comp_type.h"
#include "platform/support/text.h"
#include "table/record_table.h"
#include "table/test_rows.h"

namespace comptab::test {

// What folding rows reads: an empty cell and a token, no merged text.
inline Settings foldingSettings() {
  Settings settings;
  settings.emptyCell = "-";
  settings.token = ",";
  return settings;
}

struct TestState {
  TestState() {
    options.settings = foldingSettings();
    reporter.setEcho(nullptr);
  }
  // Messages go to a new error file in `directory` from now on.
  void logTo(const std::string& directory) {
    reporter.setDirectory(directory);
    reporter.setProgram("test" + std::to_string(++files_));
  }
  // The lines of the error file so far, without the message kind.
  std::vector<std::string> messages() const {
    std::vector<std::string> lines;
    std::ifstream in(reporter.logPath());
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(line.find(' ') + 1));
    return lines;
  }

  RunOptions options;
  RunData data;
  Reporter reporter;

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
