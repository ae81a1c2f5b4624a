#include "output/table_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/support/output_stream.h"
#include "settings/run_mode.h"
#include "table/test_rows.h"

namespace comptab {
namespace {

// Runs `write` on a stream into a scratch file and returns every byte.
template <class Write>
std::string captured(Write write) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("comptab_table_writer_" + std::to_string(getpid()));
  OutputStream out;
  if (!out.open(file.string(), false)) return "(cannot open)";
  write(out);
  if (!out.close()) return "(write failed)";
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  return text.str();
}

Settings baseSettings() {
  Settings s;
  s.separator = ",";
  s.quoteChar = "\"";
  s.emptyCell = "-";
  return s;
}

TEST(TableWriterTest, CellShapes) {
  struct Case {
    const char* separator;
    const char* text;
    int width;
    bool notLast, quoted, right;
    uint32_t mode;
    const char* expected;
  };
  const uint32_t align = mode::kAlignSep;
  // Plain widths, quotes, right alignment and cuts are run end to end.
  const Case cases[] = {
      {",", "R1", 8, true, false, false, align, "R1     ,"},
      {",", "ABCDEFG", 5, false, false, true, align, "ABCD"},  // cut: no alignment
      // Widths count columns on screen: a UTF-8 character is one, a wide
      // one two, a combining mark none; a cut never splits a character.
      {",", "été", 4, true, false, false, 0, "été,"},
      {",", "été", 3, true, false, false, 0, "ét,"},
      {",", "10µF", 8, true, false, false, 0, "10µF,   "},
      {",", "4k7Ω", 8, true, false, true, 0, "   4k7Ω,"},
      {",", "e\xcc\x81", 3, true, false, false, 0, "e\xcc\x81, "},
      {",", "抵抗器", 8, true, false, false, align, "抵抗器 ,"},
      {",", "抵抗器", 6, true, false, true, 0, "抵抗, "},  // a wide character that no longer fits leaves a blank
      {",", "A", 3, true, true, false, 0, ""},  // no room: not even the separator
      {",", "", 3, true, true, false, 0, "\"\","},
      {",", "R1", 0, true, true, false, 0, "\"R1\","},  // width below 1: not adjusted
      {"", "R1", 5, true, false, false, 0, "R1   "},
      {" | ", "R1", 3, true, false, false, 0, ""},
      {",", "x", 101, true, false, true, 0, nullptr},  // long padding, checked below
  };
  for (const Case& c : cases) {
    Settings settings = baseSettings();
    settings.separator = c.separator;
    const TableWriter writer(settings, c.mode, "\n");
    const std::string out = captured([&](OutputStream& stream) {
      writer.writeCell(stream, c.text, c.width, c.notLast, c.quoted, c.right);
    });
    EXPECT_EQ(out, c.expected ? c.expected : std::string(99, ' ') + "x,")
        << "'" << c.text << "' width " << c.width;
  }
}

std::string rowText(const Settings& settings, const ComponentRecord& row) {
  const TableWriter writer(settings, 0, "\r\n");
  return captured([&](OutputStream& s) { writer.writeRow(s, row); });
}

TEST(TableWriterTest, RowsShowPropertiesFixedTextsAndEmptyCells) {
  Settings settings = baseSettings();
  settings.format = {{"reference", 6}, {"%1", 5}, {"value", 6, true, Alignment::Right}, {"%", 0}, {"%7", 4}};
  settings.fixedString = {"F0", "F1"};
  // "%7" is past the fixed texts: no cell, but the column before it keeps
  // its separator.
  EXPECT_EQ(rowText(settings, test::makeRow("reference=R1 value=10k")),
            "R1,   F1,  \"10k\",F0,\r\n");
  EXPECT_EQ(rowText(settings, test::makeRow("value=")), "-,    F1,    \"-\",F0,\r\n");
  settings.emptyCell = "";
  EXPECT_EQ(rowText(settings, test::makeRow("value=")), ",     F1,     \"\",F0,\r\n");
}

TEST(TableWriterTest, FixedTextNumbers) {
  struct Case {
    const char* entry;
    const char* expected;
  };
  const Case cases[] = {
      {"%", "|F0"},  {"%1", "|F1"},  {"% +1", "|F1"}, {"%1x", "|F1"}, {"%x", "|F0"},
      {"%-0", "|F0"}, {"%2", "|"},   {"%-1", "|"},    {"%99999999999", "|"},
  };
  for (const Case& c : cases) {
    Settings settings = baseSettings();
    settings.separator = "|";
    settings.emptyCell = "";
    settings.format = {{"reference", 0}, {c.entry, 0}};
    settings.fixedString = {"F0", "F1"};
    EXPECT_EQ(rowText(settings, ComponentRecord()), std::string(c.expected) + "\r\n") << c.entry;
  }
}

// CSV and TSV lines: no padding or cutting whatever the widths, quotes
// only where a reader needs them, no separator after the last cell, and
// left-out columns leave no empty field behind.
TEST(TableWriterTest, DelimitedLines) {
  struct Case {
    TableFormat format;
    const char* separator;  // fieldSeparator
    const char* quote;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {TableFormat::Csv, ",", "\"", "10k", "R1,10k,pcs\r\n"},
      {TableFormat::Csv, ",", "\"", "Cap, 10µF", "R1,\"Cap, 10µF\",pcs\r\n"},
      {TableFormat::Csv, ",", "\"", "12\" rack", "R1,\"12\"\" rack\",pcs\r\n"},
      {TableFormat::Csv, ",", "\"", "a\nb", "R1,\"a\nb\",pcs\r\n"},
      {TableFormat::Csv, ",", "\"", "a\rb", "R1,\"a\rb\",pcs\r\n"},
      {TableFormat::Csv, ",", "\"", "", "R1,-,pcs\r\n"},
      {TableFormat::Csv, ";", "'", "1,5k 'x'", "R1;'1,5k ''x''';pcs\r\n"},
      {TableFormat::Csv, ";", "'", "a;b\"", "R1;'a;b\"';pcs\r\n"},
      {TableFormat::Tsv, ",", "\"", "a\tb\r\nc\nd\re, \"f\"", "R1\ta b c d e, \"f\"\tpcs\r\n"},
  };
  for (const Case& c : cases) {
    Settings settings = baseSettings();
    settings.tableFormat = c.format;
    settings.fieldSeparator = c.separator;
    settings.quoteChar = c.quote;
    settings.format = {{"reference", 2, true, Alignment::Right}, {"value", 3, true}, {"%0", 0, true}, {"%5", 4, true}};
    settings.fixedString = {"pcs"};
    ComponentRecord row;
    row.setProperty("reference", "R1");
    row.setProperty("value", c.value);
    EXPECT_EQ(rowText(settings, row), c.expected) << c.value;
  }

  Settings settings = baseSettings();
  settings.format = {{"reference", 0}, {"value", 0}};
  settings.headerAliases = {{"value", "Value, nominal"}};
  const TableWriter writer(settings, mode::kAlignSep, "\n", {}, TableFormat::Csv);
  EXPECT_EQ(captured([&](OutputStream& out) { writer.writeHeader(out); }), "reference,\"Value, nominal\"\n");
  EXPECT_FALSE(writer.writesTableTexts());
  settings.keepTableTexts = true;
  EXPECT_TRUE(writer.writesTableTexts());
  EXPECT_TRUE(TableWriter(settings, 0, "\n").writesTableTexts());
}

// A JSON table is one array, an object a row keyed by the titles; texts
// escaped where JSON needs it and nowhere else.
TEST(TableWriterTest, JsonTables) {
  Settings settings = baseSettings();
  settings.format = {{"reference", 0}, {"value", 0}, {"%0", 0}, {"%5", 0}};
  settings.fixedString = {"pcs"};
  settings.headerAliases = {{"value", "Value \"nominal\""}};
  settings.keepTableTexts = true;
  const TableWriter writer(settings, 0, "\n", {}, TableFormat::Json);
  EXPECT_FALSE(writer.writesTableTexts());  // keepTableTexts plays no part
  const std::string values[] = {"10k", "back\\slash", "tab\tand\nline", std::string("nul\0", 4), "\x1f", "10µF Ω", ""};
  // Rows follow one another with a comma; the header writes nothing.
  const std::string table = captured([&](OutputStream& out) {
    writer.writeHeader(out);
    writer.beginTable(out);
    writer.writeRow(out, test::makeRow("reference=R1"));
    writer.writeRow(out, test::makeRow("reference=R2"));
    writer.endTable(out);
  });
  EXPECT_EQ(table,
            "[\n{\"reference\": \"R1\", \"Value \\\"nominal\\\"\": \"-\", \"pcs\": \"pcs\"},\n"
            "{\"reference\": \"R2\", \"Value \\\"nominal\\\"\": \"-\", \"pcs\": \"pcs\"}\n]\n");
  const std::string empty = captured([&](OutputStream& out) {
    writer.beginTable(out);
    writer.endTable(out);
  });
  EXPECT_EQ(empty, "[]\n");
  std::string rows;
  for (const std::string& value : values) {
    ComponentRecord row;
    row.setProperty("reference", "R1");
    row.setProperty("value", value);
    rows += captured([&](OutputStream& out) {
      writer.beginTable(out);
      writer.writeRow(out, row);
      writer.endTable(out);
    });
  }
  EXPECT_EQ(rows,
            "[\n{\"reference\": \"R1\", \"Value \\\"nominal\\\"\": \"10k\", \"pcs\": \"pcs\"}\n]\n"
            "[\n{\"reference\": \"R1\", \"Value \\\"nominal\\\"\": \"back\\\\slash\", \"pcs\": \"pcs\"}\n]\n"
            "[\n{\"reference\": \"R1\", \"Value \\\"nominal\\\"\": \"tab\\u0009and\\u000aline\", \"pcs\": \"pcs\"}\n]\n"
            "[\n{\"reference\": \"R1\", \"Value \\\"nominal\\\"\": \"nul\\u0000\", \"pcs\": \"pcs\"}\n]\n"
            "[\n{\"reference\": \"R1\", \"Value \\\"nominal\\\"\": \"\\u001f\", \"pcs\": \"pcs\"}\n]\n"
            "[\n{\"reference\": \"R1\", \"Value \\\"nominal\\\"\": \"10µF Ω\", \"pcs\": \"pcs\"}\n]\n"
            "[\n{\"reference\": \"R1\", \"Value \\\"nominal\\\"\": \"-\", \"pcs\": \"pcs\"}\n]\n");
}

}  // namespace
}  // namespace comptab
