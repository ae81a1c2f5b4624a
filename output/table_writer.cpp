#include "output/table_writer.h"

#include <charconv>
#include <climits>

#include "platform/support/display_width.h"
#include "platform/support/output_stream.h"
#include "platform/support/text.h"
#include "settings/run_mode.h"
#include "table/component_record.h"

namespace comptab {

namespace {

// The number after the "%" of a fixed-text column, read the way the
// resource file's users expect a number to be read: leading blanks and a
// sign allowed, reading stops at the first non-digit, and no digits at all
// mean 0. -1 when the number is negative or too large to be an index.
int fixedTextIndex(std::string_view rest) {
  size_t i = rest.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string_view::npos) return 0;
  bool negative = false;
  if (rest[i] == '+' || rest[i] == '-') negative = rest[i++] == '-';
  unsigned n = 0;
  const char* first = rest.data() + i;
  const auto [end, ec] = std::from_chars(first, rest.data() + rest.size(), n);
  if (end == first) return 0;  // no digits
  if (ec == std::errc::result_out_of_range || n > static_cast<unsigned>(INT_MAX)) return -1;
  if (negative && n != 0) return -1;
  return static_cast<int>(n);
}

}  // namespace

TableWriter::TableWriter(const Settings& settings, uint32_t runMode, std::string eol,
                         DisplayNameHook displayName, std::optional<TableFormat> formatOption)
    : settings_(settings),
      format_(formatOption.value_or(settings.tableFormat)),
      noAdjust_((runMode & mode::kNoAdjust) != 0),
      alignSeparator_((runMode & mode::kAlignSep) != 0),
      eol_(std::move(eol)),
      displayName_(std::move(displayName)) {
  const std::vector<FormatColumn>& format = settings.format;
  columns_.resize(format.size());
  for (size_t i = 0; i < format.size(); ++i) {
    Column& column = columns_[i];
    const std::string& property = format[i].property;
    column.text = property;
    if (!property.empty() && property.front() == '%') {
      const int n = fixedTextIndex(std::string_view(property).substr(1));
      if (n >= 0 && static_cast<size_t>(n) < settings.fixedString.size()) {
        column.kind = Column::Kind::FixedText;
        column.text = settings.fixedString[static_cast<size_t>(n)];
      } else {
        column.kind = Column::Kind::LeftOut;
      }
    }
    if (column.kind == Column::Kind::Property) column.name = internName(column.text);
    column.width = format[i].width;
    column.quoted = format[i].quoted;
    column.rightAligned = format[i].alignment == Alignment::Right;
    // Counted over every column, left-out ones included: a left-out last
    // column leaves the line ending in a separator.
    column.notLast = i + 1 < format.size();
  }
  if (format_ != TableFormat::Json) return;
  for (const Column& column : columns_)
    titles_.push_back(column.kind == Column::Kind::Property ? headerTitle(column.text) : std::string(column.text));
}

void TableWriter::writeCell(OutputStream& stream, std::string_view text, int width, bool notLast,
                            bool quoted, bool rightAligned) const {
  const std::string_view separator = settings_.separator;
  const std::string_view quote = quoted ? std::string_view(settings_.quoteChar) : std::string_view();
  const std::string_view trailing = notLast ? separator : std::string_view();

  if (width < 1 || noAdjust_) {
    // Most cells of a big table are written here: no empty writes.
    if (quoted) stream.write(quote);
    stream.write(text);
    if (quoted) stream.write(quote);
    if (notLast) stream.write(trailing);
    return;
  }

  // The separator takes its room even in the last column, where it is not
  // written, so that every column keeps the width the user gave it. Widths
  // count the columns a text takes on screen, not its bytes.
  const long fixed = static_cast<long>(separator.size()) + (quoted ? 2 : 0);
  long pad = width - fixed - static_cast<long>(displayWidth(text));
  if (pad < 0) {
    if (width <= fixed) return;
    // A cut falls before the first character that does not fit whole; a
    // wide character there leaves a column over, padded as if left-aligned
    // so that the columns after it stay in line.
    const auto room = static_cast<size_t>(width - fixed);
    text = text.substr(0, fittingPrefix(text, room));
    pad = static_cast<long>(room - displayWidth(text));
    rightAligned = false;
  }

  const size_t blanks = static_cast<size_t>(pad);
  if (rightAligned) stream.writeRepeated(' ', blanks);
  stream.write(quote);
  stream.write(text);
  stream.write(quote);
  if (!alignSeparator_) stream.write(trailing);
  if (!rightAligned) stream.writeRepeated(' ', blanks);
  if (alignSeparator_) stream.write(trailing);
}

namespace {

// A JSON string: the quote, the backslash and the control characters
// escaped; every other byte as written.
void writeJsonString(OutputStream& stream, std::string_view text) {
  stream.write("\"");
  size_t start = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x20 && byte != '"' && byte != '\\') continue;
    stream.write(text.substr(start, at - start));
    if (byte == '"' || byte == '\\') {
      stream.write("\\");
      stream.write(text.substr(at, 1));
    } else {
      stream.write(strprintf("\\u%04x", byte));
    }
    start = at + 1;
  }
  stream.write(text.substr(start));
  stream.write("\"");
}

}  // namespace

void TableWriter::beginTable(OutputStream& stream) const {
  if (format_ != TableFormat::Json) return;
  firstRow_ = true;
  stream.write("[");
}

void TableWriter::endTable(OutputStream& stream) const {
  if (format_ != TableFormat::Json) return;
  if (!firstRow_) stream.write(eol_);
  stream.write("]");
  stream.write(eol_);
}

void TableWriter::writeJsonRow(OutputStream& stream, const ComponentRecord& row) const {
  stream.write(firstRow_ ? "" : ",");
  stream.write(eol_);
  firstRow_ = false;
  stream.write("{");
  bool first = true;
  for (size_t i = 0; i < columns_.size(); ++i) {
    const Column& column = columns_[i];
    if (column.kind == Column::Kind::LeftOut) continue;
    if (!first) stream.write(", ");
    first = false;
    writeJsonString(stream, titles_[i]);
    stream.write(": ");
    if (column.kind == Column::Kind::FixedText) {
      writeJsonString(stream, column.text);
      continue;
    }
    const PropertyText value = row.value(column.name);
    writeJsonString(stream, isEmptyValue(value) ? std::string_view(settings_.emptyCell) : *value);
  }
  stream.write("}");
}

void TableWriter::writeRow(OutputStream& stream, const ComponentRecord& row) const {
  if (format_ == TableFormat::Json) {
    writeJsonRow(stream, row);
    return;
  }
  if (format_ != TableFormat::Text) {
    writeDelimitedLine(stream, [&](const Column& column) {
      if (column.kind == Column::Kind::FixedText) return column.text;
      const PropertyText value = row.value(column.name);
      return isEmptyValue(value) ? std::string_view(settings_.emptyCell) : *value;
    });
    return;
  }
  for (const Column& column : columns_) {
    std::string_view text = column.text;
    if (column.kind == Column::Kind::LeftOut) continue;
    if (column.kind == Column::Kind::Property) {
      const PropertyText value = row.value(column.name);
      text = isEmptyValue(value) ? std::string_view(settings_.emptyCell) : *value;
    }
    writeCell(stream, text, column.width, column.notLast, column.quoted, column.rightAligned);
  }
  stream.write(eol_);
}

void TableWriter::writeHeader(OutputStream& stream) const {
  if (format_ == TableFormat::Json) return;
  if (format_ != TableFormat::Text) {
    std::string title;
    writeDelimitedLine(stream, [&](const Column& column) {
      if (column.kind == Column::Kind::FixedText) return column.text;
      title = headerTitle(column.text);
      return std::string_view(title);
    });
    return;
  }
  for (const Column& column : columns_) {
    if (column.kind == Column::Kind::LeftOut) continue;
    if (column.kind == Column::Kind::FixedText) {
      writeCell(stream, column.text, column.width, column.notLast, column.quoted, column.rightAligned);
    } else {
      writeCell(stream, headerTitle(column.text), column.width, column.notLast, column.quoted,
                column.rightAligned);
    }
  }
  stream.write(eol_);
}

void TableWriter::cellTexts(const ComponentRecord& row, std::vector<std::string_view>& out) const {
  out.clear();
  for (const Column& column : columns_) {
    if (column.kind == Column::Kind::LeftOut) continue;
    if (column.kind == Column::Kind::FixedText) {
      out.push_back(column.text);
      continue;
    }
    const PropertyText value = row.value(column.name);
    out.push_back(isEmptyValue(value) ? std::string_view(settings_.emptyCell) : *value);
  }
}

void TableWriter::titles(std::vector<std::string>& out) const {
  out.clear();
  for (const Column& column : columns_) {
    if (column.kind == Column::Kind::LeftOut) continue;
    out.push_back(column.kind == Column::Kind::FixedText ? std::string(column.text) : headerTitle(column.text));
  }
}

template <class CellText>
void TableWriter::writeDelimitedLine(OutputStream& stream, CellText cellText) const {
  bool first = true;
  for (const Column& column : columns_) {
    if (column.kind == Column::Kind::LeftOut) continue;
    // No separator after the last cell: a reader would see one more, empty,
    // field.
    if (!first) stream.write(format_ == TableFormat::Tsv ? std::string_view("\t") : settings_.fieldSeparator);
    first = false;
    writeDelimitedCell(stream, cellText(column));
  }
  stream.write(eol_);
}

void TableWriter::writeDelimitedCell(OutputStream& stream, std::string_view text) const {
  // A spreadsheet runs a cell that starts so as a formula (=HYPERLINK(...)
  // from a design's value); after a ' it shows the text.
  if (settings_.guardFormulas && !text.empty() &&
      std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
    const std::string guarded = "'" + std::string(text);
    writeDelimitedText(stream, guarded);
    return;
  }
  writeDelimitedText(stream, text);
}

void TableWriter::writeDelimitedText(OutputStream& stream, std::string_view text) const {
  if (format_ == TableFormat::Tsv) {
    // A tab or a line break would start a new cell or row: each becomes a
    // blank, a CR LF pair one blank.
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find_first_of("\t\r\n", start);
      if (end == std::string_view::npos) {
        stream.write(text.substr(start));
        break;
      }
      stream.write(text.substr(start, end - start));
      stream.write(" ");
      start = end + 1;
      if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return;
  }
  // RFC 4180: quoted exactly when the text holds the separator, the quote
  // character or a line break, with each quote character inside doubled.
  const std::string_view quote = settings_.quoteChar;
  const std::string_view separator = settings_.fieldSeparator;
  const bool needsQuotes = text.find_first_of("\r\n") != std::string_view::npos ||
                           (!separator.empty() && text.find(separator) != std::string_view::npos) ||
                           (!quote.empty() && text.find(quote) != std::string_view::npos);
  if (!needsQuotes) {
    stream.write(text);
    return;
  }
  stream.write(quote);
  size_t start = 0;
  for (size_t at = text.find(quote); at != std::string_view::npos; at = text.find(quote, start)) {
    stream.write(text.substr(start, at + quote.size() - start));
    stream.write(quote);
    start = at + quote.size();
  }
  stream.write(text.substr(start));
  stream.write(quote);
}

std::string TableWriter::headerTitle(std::string_view propertyName) const {
  for (const HeaderAlias& alias : settings_.headerAliases)
    if (alias.property == propertyName) return alias.text;
  if (displayName_) return displayName_(propertyName);
  return std::string(propertyName);
}

}  // namespace comptab
