// Reading net lists: what a good one gives, the nesting limit, and a table
// of broken ones with the reason each is refused.
#include "platform/net_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/test_circuit.h"
#include "platform/scratch_dir.h"

namespace comptab {
namespace {

// A chain of `depth` blocks below one top-level sheet, all of leaf.sht.
std::string nestedNetList(int depth) {
  std::string sheet = R"({"file": "leaf.sht", "id": 1, "number": 1})";
  for (int i = 0; i < depth; ++i)
    sheet = R"({"file": "leaf.sht", "id": 1, "number": 1, "blocks": [{"component": 1, "sheets": [)" + sheet + "]}]}";
  return testNetList(sheet);
}

class NetListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(files.path().empty());
    files.write("c.cir/leaf.sht", testSheet({{1, "parts", "R?"}}));
    files.write("c.cir/sub/top.sht", testSheet({{1, "block", "X1"}}));
    files.write("c.cir/folder.sht/keep", "");
  }
  std::string circuit() const { return files.file("c.cir"); }
  std::unique_ptr<NetList> openText(const std::string& text, std::string& reason) {
    files.write("c.cir/netlist.json", text);
    return NetList::open(circuit(), &reason);
  }
  ScratchDir files;
};

TEST_F(NetListTest, ReadsTheHierarchyValuesAndNets) {
  std::string reason;
  const auto list = openText(R"({"#": "comments are skipped", "formatVersion": 1, "sheets": [
      {"file": "sub/top.sht", "id": -1, "number": 3, "blocks": [{"component": 1, "sheets": [
        {"file": "leaf.sht", "id": 70, "number": 7,
         "components": [{"number": 1, "properties": [["reference", "R701"], ["value", ""]]}, {"number": 9}]}]}]}],
    "nets": [{"name": "VCC", "pins": [["003.cmp1/007.cmp1", "1"]]}]})", reason);
  ASSERT_NE(list, nullptr) << reason;
  ASSERT_EQ(list->topSheets().size(), 1u);
  const NetSheet& top = list->topSheets()[0];
  EXPECT_EQ(list->sheetPath(top), circuit() + "/sub/top.sht");
  EXPECT_EQ(top.id, -1);
  ASSERT_EQ(top.blocks.size(), 1u);
  ASSERT_EQ(top.blocks[0].sheets.size(), 1u);
  const NetSheet& seven = top.blocks[0].sheets[0];
  EXPECT_EQ(seven.number, 7);
  ASSERT_EQ(seven.components.size(), 2u);
  ASSERT_EQ(seven.components[0].values.size(), 2u);
  EXPECT_EQ(seven.components[0].values[0].value, "R701");
  EXPECT_TRUE(seven.components[1].values.empty());
  ASSERT_EQ(list->nets().size(), 1u);
  ASSERT_EQ(list->nets()[0].pins.size(), 1u);
  EXPECT_EQ(list->nets()[0].pins[0].component, "003.cmp1/007.cmp1");
  EXPECT_EQ(list->nets()[0].pins[0].pin, "1");
}

TEST_F(NetListTest, AMissingFileIsNamed) {
  std::string reason;
  EXPECT_EQ(NetList::open(circuit(), &reason), nullptr);
  EXPECT_EQ(reason, circuit() + "/netlist.json: the file does not exist");
}

TEST_F(NetListTest, BlocksNestUpToTheLimit) {
  std::string reason;
  EXPECT_NE(openText(nestedNetList(NetList::kMaxDepth), reason), nullptr) << reason;

  EXPECT_EQ(openText(nestedNetList(NetList::kMaxDepth + 1), reason), nullptr);
  std::string place = "sheets[0]";
  for (int i = 0; i <= NetList::kMaxDepth; ++i) place += ".blocks[0].sheets[0]";
  EXPECT_EQ(reason, circuit() + "/netlist.json: " + place + ": blocks nest deeper than the 32 levels a circuit may have");

  // Far deeper than any hierarchy: the JSON parser stops it first.
  EXPECT_EQ(openText(nestedNetList(100), reason), nullptr);
  EXPECT_EQ(reason, circuit() + "/netlist.json: nested deeper than the 192 levels a net list may have");
}

TEST_F(NetListTest, BrokenListsAreRefusedWithTheirReason) {
  struct Case {
    const char* what;
    std::string text;
    std::string reason;  // after "<path>: "
  };
  const auto sheet = [](const std::string& fields) { return testNetList("{" + fields + "}"); };
  const std::string leaf = R"("file": "leaf.sht", "id": 1, "number": 1)";
  const auto inBlock = [&](const std::string& inner) {
    return sheet(leaf + R"(, "blocks": [{"component": 1, "sheets": [{)" + inner + "}]}]");
  };
  const Case cases[] = {
      {"empty", "", "the file is empty"},
      {"a sheet file", testSheet({}), "unknown field \"sheet\""},
      {"no version", R"({"sheets": []})", "the required field \"formatVersion\" is missing: this is not a net list"},
      {"later version", R"({"formatVersion": 2, "sheets": []})",
       "formatVersion: format version 2 is not supported; this library reads version 1"},
      {"sheets not a list", R"({"formatVersion": 1, "sheets": {}})",
       "sheets: expected an array of sheets, found an object"},
      {"unknown top field", R"({"formatVersion": 1, "sheets": [], "net": []})", "unknown field \"net\""},
      {"sheet without file", sheet(R"("id": 1, "number": 1)"), "sheets[0]: the required field \"file\" is missing"},
      {"missing nested sheet file", inBlock(R"("file": "sub/gone.sht", "id": 2, "number": 2)"),
       "sheets[0].blocks[0].sheets[0].file: the sheet file \"sub/gone.sht\" does not exist"},
      {"directory as sheet file", sheet(R"("file": "folder.sht", "id": 1, "number": 1)"),
       "sheets[0].file: the sheet file \"folder.sht\" is a directory"},
      {"empty file name", sheet(R"("file": "", "id": 1, "number": 1)"), "sheets[0].file: the sheet file name is empty"},
      {"absolute file name", sheet(R"("file": "/etc/leaf.sht", "id": 1, "number": 1)"),
       "sheets[0].file: \"/etc/leaf.sht\" is not a path inside the circuit directory"},
      {"file name climbing out", sheet(R"("file": "sub/../../leaf.sht", "id": 1, "number": 1)"),
       "sheets[0].file: \"sub/../../leaf.sht\" is not a path inside the circuit directory"},
      {"number as text", sheet(R"("file": "leaf.sht", "id": 1, "number": "1")"),
       "sheets[0].number: expected an integer, found a string"},
      {"id beyond 32 bits", sheet(R"("file": "leaf.sht", "id": 2147483648, "number": 1)"),
       "sheets[0].id: 2147483648 is out of range (-2147483648 to 2147483647)"},
      {"values on a top-level sheet", sheet(leaf + R"(, "components": [])"),
       "sheets[0].components: a top-level sheet is listed as its file holds it; instance values belong to sheets "
       "inside blocks"},
      {"block component twice",
       sheet(leaf + R"(, "blocks": [{"component": 2, "sheets": []}, {"component": 2, "sheets": []}])"),
       "sheets[0].blocks[1]: the block component number 2 is already given at [0]"},
      {"instance component twice", inBlock(leaf + R"(, "components": [{"number": 4}, {"number": 5}, {"number": 4}])"),
       "sheets[0].blocks[0].sheets[0].components[2]: the component number 4 is already given at [0]"},
      {"value not a pair", inBlock(leaf + R"(, "components": [{"number": 4, "properties": [["reference"]]}])"),
       "sheets[0].blocks[0].sheets[0].components[0].properties[0]: expected a pair of strings, found 1 values"},
      {"empty property name", inBlock(leaf + R"(, "components": [{"number": 4, "properties": [["", "x"]]}])"),
       "sheets[0].blocks[0].sheets[0].components[0].properties[0]: a property name may not be empty"},
      {"property twice",
       inBlock(leaf + R"(, "components": [{"number": 4, "properties": [["value", "1"], ["value", "2"]]}])"),
       "sheets[0].blocks[0].sheets[0].components[0].properties[1]: the property \"value\" appears twice"},
      {"net without a name", R"({"formatVersion": 1, "sheets": [], "nets": [{"name": "", "pins": []}]})",
       "nets[0].name: a net name may not be empty"},
      {"pin not a pair", R"({"formatVersion": 1, "sheets": [], "nets": [{"name": "N1", "pins": ["001.cmp1"]}]})",
       "nets[0].pins[0]: expected a pair of strings, found a string"},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_EQ(openText(c.text, reason), nullptr) << c.what;
    EXPECT_EQ(reason, circuit() + "/netlist.json: " + c.reason) << c.what;
  }
}

const std::string kRoot = COMPTAB_SOURCE_ROOT;

TEST(ShippedNetLists, TheDocumentedExampleReads) {
  std::string reason;
  // The example circuit itself is run end to end; here the ```json block
  // of docs/circuit.md, beside the example's sheets.
  std::ifstream doc(kRoot + "/docs/circuit.md");
  const std::string text((std::istreambuf_iterator<char>(doc)), std::istreambuf_iterator<char>());
  const size_t start = text.find("```json\n");
  ASSERT_NE(start, std::string::npos);
  const size_t end = text.find("```", start + 8);
  ASSERT_NE(end, std::string::npos);
  ScratchDir files;
  ASSERT_FALSE(files.path().empty());
  for (const char* sheet : {"main.sht", "supply.sht", "channel.sht", "filter.sht"})
    std::filesystem::copy_file(kRoot + "/examples/amp.cir/" + sheet, files.file(sheet));
  files.write("netlist.json", text.substr(start + 8, end - start - 8));
  const auto documented = NetList::open(files.path(), &reason);
  ASSERT_NE(documented, nullptr) << reason;
  EXPECT_EQ(documented->nets().size(), 2u);
}

}  // namespace
}  // namespace comptab
