#include "output/html_page.h"

#include <cstdint>
#include <cstdio>

#include "output/html_assets.h"
#include "output/json_text.h"
#include "platform/support/output_stream.h"

namespace comptab {

namespace {

// The page reaches nothing outside itself: no script, style, font or
// image from elsewhere, and no request of its own.
constexpr std::string_view kPolicy =
    "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data:";

// The key the page keeps its checkboxes under changes with the lines, so
// that the marks of one bill of materials never land on another's.
std::string hashText(std::string_view text) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(hash));
  return buffer;
}

}  // namespace

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

HtmlPage::HtmlPage(std::string_view title, std::string_view emptyCell) : title_(title), emptyCell_(emptyCell) {}

void HtmlPage::endTable() {
  if (!inTable_) return;
  tables_ += "]}";
  inTable_ = false;
}

void HtmlPage::beginTable(std::string_view name, const std::vector<std::string>& titles) {
  const bool first = tables_.empty() && !inTable_;
  endTable();
  tables_ += first ? "" : ",";
  tables_ += "{\"name\":";
  appendJsonString(tables_, name);
  tables_ += ",\"head\":[";
  for (size_t i = 0; i < titles.size(); ++i) {
    if (i > 0) tables_ += ',';
    appendJsonString(tables_, titles[i]);
  }
  tables_ += "],\"rows\":[";
  inTable_ = true;
  firstRow_ = true;
}

void HtmlPage::addRow(const std::vector<std::string_view>& cells, const std::vector<std::string>& references) {
  tables_ += firstRow_ ? "\n[" : ",\n[";
  firstRow_ = false;
  for (const std::string_view cell : cells) {
    appendJsonString(tables_, cell);
    tables_ += ',';
  }
  tables_ += '[';
  for (size_t i = 0; i < references.size(); ++i) {
    if (i > 0) tables_ += ',';
    appendJsonString(tables_, references[i]);
  }
  tables_ += "]]";
}

void HtmlPage::write(OutputStream& out) const {
  std::string tables = tables_;
  if (inTable_) tables += "]}";
  std::string data = "{\"title\":";
  appendJsonString(data, title_);
  data += ",\"key\":";
  appendJsonString(data, "comptab-bom:" + title_ + ":" + hashText(tables));
  data += ",\"empty\":";
  appendJsonString(data, emptyCell_);
  data += ",\"tables\":[";
  data += tables;
  data += "],\"sch\":";
  data += schematic_.empty() ? std::string("null") : schematic_;
  data += "}";

  out.write("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n");
  out.write("<meta http-equiv=\"Content-Security-Policy\" content=\"");
  out.write(kPolicy);
  out.write("\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>");
  out.write(escapeHtml(title_));
  out.write("</title>\n<style>\n");
  out.write(bomPageStyle());
  out.write("</style>\n</head>\n<body>\n<script type=\"application/json\" id=\"comptab-data\">");
  out.write(data);
  out.write("</script>\n<script>\n");
  out.write(bomPageScript());
  out.write("</script>\n</body>\n</html>\n");
}

}  // namespace comptab
