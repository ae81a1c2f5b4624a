// The depth of a sheet and the hierarchical id of a component, on a chain
// of blocks built at test time.
#include "design/hierarchy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/instance_db.h"
#include "platform/net_list.h"
#include "platform/scratch_dir.h"
#include "platform/test_circuit.h"

namespace comptab {
namespace {

// Sheet numbers from the top down: 1 holds block 4, which instantiates
// sheet 12 (and sheet 1234 beside it); 12 holds block 2, which
// instantiates sheet 5; each sheet below the top has components 7 and 2.
const char* const kNetList = R"({"formatVersion": 1, "sheets": [
  {"file": "top.sht", "id": 1, "number": 1, "blocks": [{"component": 4, "sheets": [
    {"file": "mid.sht", "id": 2, "number": 12, "blocks": [{"component": 2, "sheets": [
      {"file": "mid.sht", "id": 3, "number": 5}]}]},
    {"file": "mid.sht", "id": 4, "number": 1234}
  ]}]}
]})";

class HierarchyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    dir.file("c.cir/top.sht", testSheet({{4, "block", "X1"}}));
    dir.file("c.cir/mid.sht", testSheet({{7, "parts", "R?"}, {2, "block", "X?"}}));
  }
  std::unique_ptr<InstanceDb> build(const std::string& netList) {
    dir.file("c.cir/netlist.json", netList);
    std::string reason;
    const auto list = NetList::open(dir.file("c.cir"), &reason);
    EXPECT_NE(list, nullptr) << reason;
    if (!list) return nullptr;
    auto db = InstanceDb::create(dir.path(), "c.cir", dir.file("c.cir/instance.db"), *list, &reason);
    EXPECT_NE(db, nullptr) << reason;
    return db;
  }
  static std::string idOf(const InstanceSheet& sheet, size_t component) {
    std::string text = "left over";
    hierarchicalId(sheet.sheetInfo().parentBlock(), *sheet.components().at(component), text);
    return text;
  }
  ScratchDir dir;
};

TEST_F(HierarchyTest, DepthAndIdFromTheTopDown) {
  const auto db = build(kNetList);
  ASSERT_NE(db, nullptr);
  SheetInfo& top = *db->topSheets().at(0);
  SheetInfo& twelve = *top.blocks().at(0)->childSheets().at(0);
  SheetInfo& big = *top.blocks().at(0)->childSheets().at(1);
  SheetInfo& five = *twelve.blocks().at(0)->childSheets().at(0);

  EXPECT_EQ(sheetDepth(nullptr), 0);
  const InstanceSheet* twelveSheet = twelve.load();
  const InstanceSheet* bigSheet = big.load();
  const InstanceSheet* fiveSheet = five.load();
  ASSERT_TRUE(twelveSheet && bigSheet && fiveSheet);
  EXPECT_EQ(sheetDepth(twelveSheet), 1);
  EXPECT_EQ(sheetDepth(bigSheet), 1);
  EXPECT_EQ(sheetDepth(fiveSheet), 2);

  EXPECT_EQ(idOf(*twelveSheet, 0), "001.cmp4/012.cmp7");
  EXPECT_EQ(idOf(*twelveSheet, 1), "001.cmp4/012.cmp2");
  EXPECT_EQ(idOf(*bigSheet, 0), "001.cmp4/1234.cmp7");
  EXPECT_EQ(idOf(*fiveSheet, 0), "001.cmp4/012.cmp2/005.cmp7");

  // The depth is counted through loaded sheets: with the sheet above
  // unloaded the count stops there. The id needs only the entries.
  twelve.abort();
  EXPECT_EQ(sheetDepth(fiveSheet), 1);
  EXPECT_EQ(idOf(*fiveSheet, 0), "001.cmp4/012.cmp2/005.cmp7");
}

// Ids past the 255 characters a fixed buffer would hold are kept whole.
TEST_F(HierarchyTest, TheDeepestSheetHasItsWholeId) {
  dir.file("c.cir/mid.sht", testSheet({{7, "parts", "R?"}, {1, "block", "X?"}}));
  std::string sheet = R"({"file": "mid.sht", "id": 1, "number": 200})";
  for (int number = 199; number > 200 - NetList::kMaxDepth; --number)
    sheet = R"({"file": "mid.sht", "id": 1, "number": )" + std::to_string(number) +
            R"(, "blocks": [{"component": 1, "sheets": [)" + sheet + "]}]}";
  sheet = R"({"file": "top.sht", "id": 1, "number": 1, "blocks": [{"component": 4, "sheets": [)" + sheet + "]}]}";
  const auto db = build(testNetList(sheet));
  ASSERT_NE(db, nullptr);

  std::vector<SheetInfo*> path;
  SheetInfo* info = db->topSheets().at(0)->blocks().at(0)->childSheets().at(0);
  std::string expected = "001.cmp4";
  while (info != nullptr) {
    ASSERT_NE(info->load(), nullptr);
    path.push_back(info);
    expected += "/" + std::to_string(info->sheetNumber()) + ".cmp" + (info->blocks().size() ? "1" : "7");
    info = info->blocks().size() ? info->blocks().at(0)->childSheets().at(0) : nullptr;
  }
  ASSERT_EQ(path.size(), static_cast<size_t>(NetList::kMaxDepth));
  const InstanceSheet& deepest = *path.back()->loadedSheet();
  EXPECT_EQ(sheetDepth(&deepest), NetList::kMaxDepth);
  const std::string id = idOf(deepest, 0);
  EXPECT_GT(id.size(), 255u);
  EXPECT_EQ(id, expected);
}

}  // namespace
}  // namespace comptab
