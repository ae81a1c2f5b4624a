#include "app/bom_page.h"

#include <string>
#include <string_view>
#include <vector>

#include "output/html_page.h"
#include "output/html_schematic.h"

namespace comptab {

void writeBomPage(const BomPage& page, OutputStream& out) {
  // The drop-in writes an empty cell as nothing at all.
  HtmlPage html(page.title, "");
  std::vector<std::string> texts;
  std::vector<std::string_view> cells;
  for (const BomPageTable& table : page.tables) {
    html.beginTable(table.name, table.rows.labels);
    for (const BomRows::Row& row : table.rows.rows) {
      // The cells read as the CSV's do once a reader has unquoted them.
      texts.clear();
      for (const std::string& cell : row.cells) texts.push_back(bomCellText(cell, *page.format));
      cells.assign(texts.begin(), texts.end());
      html.addRow(cells, row.references);
    }
  }
  if (page.design != nullptr) html.setSchematic(kicadSchematicJson(*page.design));
  html.write(out);
}

}  // namespace comptab
