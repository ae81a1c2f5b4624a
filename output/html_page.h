// The interactive page of a run (docs/html.md): one self-contained HTML
// file with the run's tables, a drawing of the design's sheets where there
// is one, and the script and style that link the two. The data sits in the
// page once, as JSON; the script builds everything from it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class OutputStream;

class HtmlPage {
 public:
  // `emptyCell` is the text a cell shows for a property a row lacks: the
  // page sorts such cells first, as the run does.
  HtmlPage(std::string_view title, std::string_view emptyCell);

  // A table of the run (one per destination), and then its rows: each
  // row's cells as a CSV would hold them and the references it stands for.
  void beginTable(std::string_view name, const std::vector<std::string>& titles);
  void addRow(const std::vector<std::string_view>& cells, const std::vector<std::string>& references);
  // The drawing, as JSON text made by the html_schematic writers.
  void setSchematic(std::string json) { schematic_ = std::move(json); }

  // The whole page.
  void write(OutputStream& out) const;

 private:
  void endTable();

  std::string title_;
  std::string emptyCell_;
  std::string tables_;  // the JSON of the tables so far, unclosed
  bool inTable_ = false;
  bool firstRow_ = true;
  std::string schematic_;
};

// `text` with &, <, >, " and ' as character references, for HTML text and
// attribute values.
std::string escapeHtml(std::string_view text);

}  // namespace comptab
