// The depth of a sheet and the hierarchical id of a component, on the
// deepest chain of blocks a circuit may have; shallower ones are run end
// to end.
#include "design/hierarchy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/circuit/instance_db.h"
#include "platform/circuit/net_list.h"
#include "platform/circuit/test_circuit.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

// Ids past the 255 characters a fixed buffer would hold are kept whole; a
// sheet number of four digits is not cut to three.
TEST(Hierarchy, TheDeepestSheetHasItsWholeId) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  dir.file("c.cir/top.sht", testSheet({{4, "block", "X1"}}));
  dir.file("c.cir/mid.sht", testSheet({{7, "parts", "R?"}, {1, "block", "X?"}}));
  std::string sheet = R"({"file": "mid.sht", "id": 1, "number": 1234})";
  for (int number = 199; number > 200 - NetList::kMaxDepth; --number)
    sheet = R"({"file": "mid.sht", "id": 1, "number": )" + std::to_string(number) +
            R"(, "blocks": [{"component": 1, "sheets": [)" + sheet + "]}]}";
  sheet = R"({"file": "top.sht", "id": 1, "number": 1, "blocks": [{"component": 4, "sheets": [)" + sheet + "]}]}";
  dir.file("c.cir/netlist.json", testNetList(sheet));
  std::string reason;
  const auto list = NetList::open(dir.file("c.cir"), &reason);
  ASSERT_NE(list, nullptr) << reason;
  const auto db = InstanceDb::create(dir.path(), "c.cir", dir.file("c.cir/instance.db"), *list, &reason);
  ASSERT_NE(db, nullptr) << reason;

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
  const std::string id = circuitSheetTexts(deepest.sheetInfo(), NetList::kMaxDepth).hierarchicalIdPrefix +
                         std::to_string(deepest.components().at(0)->number());
  EXPECT_GT(id.size(), 255u);
  EXPECT_EQ(id, expected);
}

}  // namespace
}  // namespace comptab
