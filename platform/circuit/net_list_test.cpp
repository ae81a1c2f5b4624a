// Reading net lists: what a good one gives, and a table of broken ones with
// the reason each is refused. The nesting limits, an empty file and a
// missing sheet file are run end to end.
#include "platform/circuit/net_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/circuit/test_circuit.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

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

// A sheet file in a sub-directory, a component without values, and the
// nets, which only this reads.
TEST_F(NetListTest, ReadsTheHierarchyValuesAndNets) {
  std::string reason;
  const auto list = openText(R"({"formatVersion": 1, "sheets": [
      {"file": "sub/top.sht", "id": 3, "number": 3, "blocks": [{"component": 1, "sheets": [
        {"file": "leaf.sht", "id": 70, "number": 7,
         "components": [{"number": 1, "properties": [["value", ""]]}, {"number": 9}]}]}]}],
    "nets": [{"name": "VCC", "pins": [["003.cmp1/007.cmp1", "1"]]}]})", reason);
  ASSERT_NE(list, nullptr) << reason;
  const NetSheet& top = list->topSheets().at(0);
  EXPECT_EQ(list->sheetPath(top), circuit() + "/sub/top.sht");
  const NetSheet& seven = top.blocks.at(0).sheets.at(0);
  ASSERT_EQ(seven.components.size(), 2u);
  EXPECT_EQ(seven.components[0].values.at(0).value, "");
  EXPECT_TRUE(seven.components[1].values.empty());
  const NetPin& pin = list->nets().at(0).pins.at(0);
  EXPECT_EQ(pin.component + " " + pin.pin, "003.cmp1/007.cmp1 1");
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
      {"a sheet file", testSheet({}), "unknown field \"sheet\""},
      {"no version", R"({"sheets": []})", "the required field \"formatVersion\" is missing: this is not a net list"},
      {"later version", R"({"formatVersion": 2, "sheets": []})",
       "formatVersion: format version 2 is not supported; this library reads version 1"},
      {"sheets not a list", R"({"formatVersion": 1, "sheets": {}})",
       "sheets: expected an array of sheets, found an object"},
      {"sheet without file", sheet(R"("id": 1, "number": 1)"), "sheets[0]: the required field \"file\" is missing"},
      {"directory as sheet file", sheet(R"("file": "folder.sht", "id": 1, "number": 1)"),
       "sheets[0].file: the sheet file \"folder.sht\" is a directory"},
      {"empty file name", sheet(R"("file": "", "id": 1, "number": 1)"), "sheets[0].file: the sheet file name is empty"},
      {"absolute file name", sheet(R"("file": "/etc/leaf.sht", "id": 1, "number": 1)"),
       "sheets[0].file: \"/etc/leaf.sht\" is not a path inside the circuit directory"},
      {"file name climbing out", sheet(R"("file": "sub/../../leaf.sht", "id": 1, "number": 1)"),
       "sheets[0].file: \"sub/../../leaf.sht\" is not a path inside the circuit directory"},
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
