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
  bool writesTableTexts() const {
    return format_ == TableFormat::Text || (format_ != TableFormat::Json && settings_.keepTableTexts);
  }
  TableFormat format() const { return format_; }

  // What comes before the first row and after the last: a JSON table is
  // one array, a document of its own; the other formats have nothing there.
  void beginTable(OutputStream& stream) const;
  void endTable(OutputStream& stream) const;

  // One cell: the text, quoted when asked, padded with blanks to `width`
  // or cut to fit, and followed by the separator unless it is the last
  // (which still leaves room for one). docs/table-output.md has every case.
  void writeCell(OutputStream& stream, std::string_view text, int width, bool notLast, bool quoted,
                 bool rightAligned) const;
  // One line: a cell per column of the format table, then the line end.
  // A property the row lacks or holds empty shows as the empty-cell text.
  void writeRow(OutputStream& stream, const ComponentRecord& row) const;
  // The titles line, cut and padded like the rows; nothing for JSON, whose
  // rows carry the titles as their keys.
  void writeHeader(OutputStream& stream) const;
  // The cells of a row and the titles as a CSV table holds them, before
  // any quoting: for a page that shows the same table.
  void cellTexts(const ComponentRecord& row, std::vector<std::string_view>& out) const;
  void titles(std::vector<std::string>& out) const;

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
  // One object of a JSON table: a member per column, keyed by its title.
  void writeJsonRow(OutputStream& stream, const ComponentRecord& row) const;
  void writeDelimitedText(OutputStream& stream, std::string_view text) const;

  const Settings& settings_;
  TableFormat format_;
  bool noAdjust_;
  bool alignSeparator_;
  std::string eol_;
  DisplayNameHook displayName_;
  std::vector<Column> columns_;
  std::vector<std::string> titles_;  // JSON: each column's key, made once
  mutable bool firstRow_ = true;     // JSON: no comma before the first object
};

}  // namespace comptab
