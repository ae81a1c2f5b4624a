// Writes the header and the rows of a table as lines of cells: in a padded
// table each cell is padded, cut, quoted and aligned as its column asks; a
// CSV or TSV line only separates and quotes them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"
#include "table/property_name.h"

namespace comptab {

class ComponentRecord;
class OutputStream;

// Gives the title a property's column shows when no header alias names it;
// set only while the property display-name file is open.
using DisplayNameHook = std::function<std::string(std::string_view propertyName)>;

class TableWriter {
 public:
  // `settings` must outlive the writer. `runMode` supplies the noadjust and
  // alignsep bits; `eol` ends every line. `format`, when given, wins over
  // the settings' tableFormat.
  TableWriter(const Settings& settings, uint32_t runMode, std::string eol,
              DisplayNameHook displayName = {}, std::optional<TableFormat> format = {});

  // False for CSV and TSV tables unless keepTableTexts asks for them: a
  // reader of those expects the header and the rows alone, not the begin
  // and end texts or the destination line.
  bool writesTableTexts() const { return format_ == TableFormat::Text || settings_.keepTableTexts != 0; }

  // One cell: the text, quoted when asked, padded with blanks to `width`
  // or cut to fit, and followed by the separator unless it is the last
  // (which still leaves room for one). docs/table-output.md has every case.
  void writeCell(OutputStream& stream, std::string_view text, int width, bool notLast, bool quoted,
                 bool rightAligned) const;
  // One line: a cell per column of the format table, then the line end.
  // A property the row lacks or holds empty shows as the empty-cell text.
  void writeRow(OutputStream& stream, const ComponentRecord& row) const;
  // The titles line, cut and padded like the rows.
  void writeHeader(OutputStream& stream) const;

 private:
  struct Column {
    enum class Kind { Property, FixedText, LeftOut } kind = Kind::Property;
    std::string_view text;  // the property name, or the fixed text
    NameId name = 0;        // the property name's number
    int width = 0;
    bool quoted = false;
    bool rightAligned = false;
    bool notLast = false;
  };

  // The title of a property column: its first alias, else the display
  // name when the hook is set, else the property name.
  std::string headerTitle(std::string_view propertyName) const;
  // One line of a CSV or TSV table: the cells in column order, left-out
  // columns skipped, separated but not padded, cut or aligned.
  template <class CellText>
  void writeDelimitedLine(OutputStream& stream, CellText cellText) const;
  void writeDelimitedCell(OutputStream& stream, std::string_view text) const;

  const Settings& settings_;
  TableFormat format_;
  bool noAdjust_;
  bool alignSeparator_;
  std::string eol_;
  DisplayNameHook displayName_;
  std::vector<Column> columns_;
};

}  // namespace comptab
