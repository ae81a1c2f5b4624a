// A large sheet file is read a component at a time (component_split.h); a
// small one whole. Both ways must build the same sheet from a good file and
// refuse a broken one with the same reason, whichever part of the file the
// fault is planted in.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/sheet/component_split.h"
#include "platform/sheet/design_db.h"
#include "platform/sheet/sheet_data.h"
#include "platform/sheet/sheet_reader.h"
#include "platform/support/scratch_dir.h"
#include "platform/support/text.h"

namespace comptab {
namespace {

constexpr size_t kWhole = SIZE_MAX;
constexpr size_t kInPieces = 0;

std::string part(int number, const std::string& extra = "") {
  return R"({"number": )" + std::to_string(number) + R"(, "type": "parts", "position": [1, 2])" + extra + "}";
}

// A sheet of three parts, the middle one with `extra` fields, then `after`.
std::string threeParts(const std::string& extra, const std::string& after = "") {
  return R"({"formatVersion": 1, "sheet": {"region": [0, 0, 10, 10]}, "components": [)" + part(1) + ",\n " +
         part(2, extra) + ", " + part(3) + "]" + after + "}";
}

// Everything the readers put in a sheet, as text.
std::string dump(const SheetData& sheet) {
  std::string out = strprintf("region %d %d %d %d zone %d %d,%d %d,%d %d %d [%s] [%s]\n", sheet.region.x1,
                              sheet.region.y1, sheet.region.x2, sheet.region.y2, sheet.hasZone, sheet.zone.offset.x,
                              sheet.zone.offset.y, sheet.zone.pitch.x, sheet.zone.pitch.y, sheet.zone.autoset,
                              sheet.zone.origin, std::string(sheet.zone.firstColumn).c_str(),
                              std::string(sheet.zone.firstRow).c_str());
  const auto properties = [&](Block block) {
    for (uint32_t i = block.first; i < block.first + block.count; ++i)
      out += " [" + std::string(sheet.properties[i].name()) + "=" + std::string(sheet.properties[i].value()) + "]";
  };
  for (const ComponentData& c : sheet.components) {
    out += strprintf("%d %x %x %d,%d %.17g %.17g %s %d %d", c.number, c.typeWord, c.attributes, c.position.x,
                     c.position.y, c.angle, c.scale, std::string(c.symbolName).c_str(), c.pathNumber, c.color);
    properties(c.properties);
    for (uint32_t p = c.pins.first; p < c.pins.first + c.pins.count; ++p) {
      out += " pin";
      properties(sheet.pins[p].properties);
    }
    out += "\n";
  }
  for (const auto& [number, index] : sheet.byNumber) out += strprintf("#%d@%u", number, index);
  return out;
}

class SheetPiecesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(files.path().empty()); }
  // Reads `text` both ways; the reason (empty when read) when they agree.
  std::string readBothWays(const std::string& text) {
    const std::string path = files.file("s.sht", text);
    SheetData whole;
    SheetData pieces;
    std::string wholeReason;
    std::string piecesReason;
    const bool wholeRead = readSheetFile(path, whole, &wholeReason, kWhole);
    const bool piecesRead = readSheetFile(path, pieces, &piecesReason, kInPieces);
    EXPECT_EQ(wholeRead, piecesRead) << text.substr(0, 300);
    EXPECT_EQ(wholeReason, piecesReason) << text.substr(0, 300);
    if (wholeRead && piecesRead) {
      EXPECT_EQ(dump(whole), dump(pieces));
    }
    return wholeRead ? std::string() : wholeReason;
  }
  ScratchDir files;
};

TEST_F(SheetPiecesTest, GoodFilesGiveTheSameSheet) {
  const std::string everything = R"(, "kind": 65535, "angle": 1.5e-3, "scale": 2.25, "mirror": true,
      "displayContents": false, "bitCount": 4, "symbolName": "N\u00e4ND", "pathNumber": 12, "color": -1,
      "properties": [["note", "a \"]}[{\" b\\"], ["value", "10k"]],
      "pins": [{"properties": [["pinNumber", "1"]]}, {}, {"#": "]"}])";
  const std::string texts[] = {
      threeParts(everything, R"(, "zone": {"pitch": [5, 5], "firstColumn": "K", "offset": [1, 2]})"),
      // A mark at the start, comments with brackets in their strings, the
      // components before the fields they are checked against.
      "\xEF\xBB\xBF{\"#\": [\"[\", {\"}\": 1}], \"components\" : [ " + part(4, R"(, "#": [[[]]])") +
          " ] , \"formatVersion\": 1, \"sheet\": {\"region\": [0, 0, 1, 1]}}",
      R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1, 1]}, "components": []})",
      R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1, 1]}, "components": [
]})",
      // A name the skim does not know for the components array: read whole.
      R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1, 1]}, "comp\u006fnents": [)" + part(1) + "]}",
  };
  for (const std::string& text : texts) EXPECT_EQ(readBothWays(text), "") << text;
}

// Faults planted in a component, between components and after them; the
// expected start of the reason names each one.
TEST_F(SheetPiecesTest, BrokenFilesAreRefusedWithTheSameReason) {
  const std::string good = threeParts("");
  const std::pair<std::string, std::string> cases[] = {
      {good.substr(0, good.size() / 2), "not valid JSON: "},
      {good.substr(0, good.rfind(',')), "not valid JSON: "},
      {threeParts(R"(, "number": 5)"), "components[1]: the field \"number\" appears twice"},
      {threeParts(R"(, "colour": 5)"), "components[1]: unknown field \"colour\""},
      {threeParts(R"(, "kind": 70000)"), "components[1].kind: 70000 is out of range (0 to 65535)"},
      {threeParts(R"(, "angle": 1e400)"), "not valid JSON: a malformed number, or one too large to read"},
      {threeParts(", \"symbolName\": \"\xff\""), "the file is not valid UTF-8 text"},
      {threeParts("", ", \"#\": \"\xc3\""), "the file is not valid UTF-8 text"},
      {threeParts(R"(, "symbolName": "a\qb")"), "not valid JSON: a string with a malformed escape at line 2"},
      {threeParts(R"(, "#": tru)"), "not valid JSON: a word that is not true, false or null at line 2"},
      {threeParts(R"(, "#": [1})"), "not valid JSON: '}' at line 2"},
      // A component's fault comes after a fault of the JSON further on.
      {threeParts(R"(, "colour": 5)", "}"), "not valid JSON: '}' at line 2"},
      {threeParts("", R"(, "zone": {"pitch": [0, 1]})"), "zone.pitch: a pitch must be at least 1"},
      {threeParts("", R"(, "components": [])"), "the field \"components\" appears twice"},
      {threeParts("", R"(, "comp\u006fnents": [])"), "the field \"components\" appears twice"},
      {R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1, 1]}, "components": [)" + part(1) + " " + part(2) + "]}",
       "not valid JSON: "},
      {R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1, 1]}, "components": [)" + part(1) + ",]}",
       "not valid JSON: "},
      {R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1, 1]}, "components": [)" + part(1) + ", 7]}",
       "components[1]: expected an object, found an integer"},
      {R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1, 1]}, "components": 7})",
       "components: expected an array, found an integer"},
      {R"({"formatVersion": 2, "sheet": {"region": [0, 0, 1, 1]}, "components": [)" + part(1) + "]}",
       "formatVersion: format version 2 is not supported"},
      {R"({"sheet": {"region": [0, 0, 1, 1]}, "components": [)" + part(1) + ", " + part(1) + "]}",
       "the required field \"formatVersion\" is missing"},
      {R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1, 1]}, "components": [)" + part(1) + ", " + part(1) + "]}",
       "components[1].number: the component number 1 is already used by components[0]"},
  };
  for (const auto& [text, expected] : cases) {
    const std::string reason = readBothWays(text);
    EXPECT_EQ(reason.rfind(expected, 0), 0u) << reason << "\n" << text;
  }
}

// The nesting a component may have is what the file may have less the two
// levels around the component: the same files pass both ways.
TEST_F(SheetPiecesTest, NestingLimitIsTheSameBothWays) {
  int passed = 0;
  for (int levels = 58; levels <= 64; ++levels) {
    const std::string reason =
        readBothWays(threeParts(", \"#\": " + std::string(levels, '[') + std::string(levels, ']')));
    if (reason.empty()) {
      ++passed;
    } else {
      EXPECT_EQ(reason, "nested deeper than the 64 levels a sheet file may have");
    }
  }
  EXPECT_GT(passed, 0);
  EXPECT_LT(passed, 7);
}

// A file past kSheetPiecesFrom is read in pieces by DesignDb::open: its
// last component's fault is named as a small file's would be.
TEST_F(SheetPiecesTest, LargeFilesAreReadInPiecesByDefault) {
  std::string components;
  int count = 0;
  while (components.size() < kSheetPiecesFrom) {
    if (count++ > 0) components += ",\n";
    components += part(count);
  }
  const std::string head = R"({"formatVersion": 1, "sheet": {"region": [0, 0, 10, 10]}, "zone": {"pitch": [5, 5]},
 "components": [)";
  std::string reason;
  const DesignDb good = DesignDb::open(nullptr, files.file("good.sht", head + components + "]}"), 2, &reason);
  ASSERT_TRUE(good.isValid()) << reason;
  EXPECT_EQ(SheetRef(good.lookup(DesignDb::kSheetType, "Sheet")).component(count).position(), (Point{1, 2}));
  const std::string faults[][2] = {
      {head + components + R"(, {"number": 0, "type": 1, "position": [0, 0], "number": 1}]})",
       strprintf("components[%d]: the field \"number\" appears twice", count)},
      {head + components, "not valid JSON: the array opened at line 2, column 16 is not closed"},
  };
  for (const auto& [text, expected] : faults) {
    const std::string path = files.file("bad.sht", text);
    EXPECT_FALSE(DesignDb::open(nullptr, path, 2, &reason).isValid());
    EXPECT_EQ(reason.rfind(path + ": " + expected, 0), 0u) << reason;
  }
}

// The reader lets go of the file's pages behind it every few megabytes:
// the text before the components array, read last, must survive that, as
// must every value taken from the pages let go.
TEST_F(SheetPiecesTest, PagesLetGoBehindTheReaderLoseNothing) {
  const std::string value(4000, 'v');
  std::string components;
  int count = 0;
  while (components.size() < (size_t{40} << 20)) {
    if (count++ > 0) components += ",\n";
    components += part(count, R"(, "properties": [["value", ")" + value + std::to_string(count) + R"("]])");
  }
  const std::string text = R"({"formatVersion": 1, "sheet": {"region": [0, 0, 10, 10]},
 "components": [)" + components + R"(], "zone": {"pitch": [5, 5]}})";
  SheetData sheet;
  ASSERT_TRUE(readSheetFileInPieces(files.file("big.sht", text), sheet));
  EXPECT_EQ(sheet.region.x2, 10);
  EXPECT_EQ(sheet.zone.pitch.x, 5);
  ASSERT_EQ(sheet.components.size(), static_cast<size_t>(count));
  for (const size_t c : {size_t{0}, sheet.components.size() / 2, sheet.components.size() - 1})
    EXPECT_EQ(sheet.properties[sheet.components[c].properties.first].value(), value + std::to_string(c + 1));
}

TEST(ComponentSplitTest, FindsEachComponentAndStopsAtTheEnd) {
  const std::string text = R"( {"a": {"components": [1]}, "b": "\"components\": [", "components": [ {"x": "]\\"} ,
      [1, [2]], "s\"", 12 ], "c": 1})";
  ComponentSplit split(text);
  ASSERT_TRUE(split.findArray());
  EXPECT_EQ(text[split.arrayOpen()], '[');
  std::string pieces;
  std::string_view piece;
  while (split.next(piece)) pieces += std::string(piece) + "|";
  EXPECT_TRUE(split.done());
  EXPECT_EQ(pieces, R"({"x": "]\\"}|[1, [2]]|"s\""|12|)");
  EXPECT_EQ(text.substr(split.arrayClose(), 2), "],");
  // Text that is not a ", " between components ends the split early.
  ComponentSplit broken(R"({"components": [1 2]})");
  ASSERT_TRUE(broken.findArray());
  ASSERT_TRUE(broken.next(piece));
  EXPECT_FALSE(broken.next(piece));
  EXPECT_FALSE(broken.done());
  EXPECT_FALSE(ComponentSplit(R"({"components": 5})").findArray());
  EXPECT_FALSE(ComponentSplit(R"([{"components": []}])").findArray());
}

}  // namespace
}  // namespace comptab
