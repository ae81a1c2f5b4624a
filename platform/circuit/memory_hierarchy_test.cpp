#include "platform/circuit/memory_hierarchy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace comptab {
namespace {

std::vector<int32_t> numbersOf(const InstanceSheet& sheet) {
  std::vector<int32_t> numbers;
  for (const InstanceComponent* component : sheet.components()) numbers.push_back(component->number());
  return numbers;
}

// A top sheet with two blocks, the second holding two instances of one
// file; each instance loads its own components, in the order given, and
// knows where it lies.
TEST(MemoryHierarchyTest, SheetsBlocksAndInstancesAsAdded) {
  MemoryHierarchy hierarchy;
  SheetInfo& top = hierarchy.addTopSheet("/c/top", 1, 7);
  BlockInstance& left = hierarchy.addBlock(top, 4);
  SheetInfo& ch = hierarchy.addChildSheet(left, "/c/ch", 2, 2, {3, 1, 2});
  BlockInstance& right = hierarchy.addBlock(top, 9);
  hierarchy.addChildSheet(right, "/c/sub", 3, 5, {8});
  hierarchy.addChildSheet(right, "/c/sub/2", 4, 6, {});
  BlockInstance& deeper = hierarchy.addBlock(ch, 5);
  SheetInfo& leaf = hierarchy.addChildSheet(deeper, "/c/leaf", 5, 5, {1});

  ASSERT_EQ(hierarchy.topSheets().size(), 1u);
  EXPECT_EQ(hierarchy.topSheets().at(0), &top);
  EXPECT_EQ(top.sheetNumber(), 7);
  EXPECT_EQ(top.parentBlock(), nullptr);
  ASSERT_EQ(top.blocks().size(), 2u);
  EXPECT_EQ(top.blocks().at(1)->componentNumber(), 9);
  EXPECT_EQ(&top.blocks().at(1)->holdingSheet(), &top);
  ASSERT_EQ(right.childSheets().size(), 2u);
  EXPECT_EQ(right.childSheets().at(1)->fileName(), "/c/sub/2");
  EXPECT_EQ(right.childSheets().at(1)->sheetId(), 4);

  const struct {
    SheetInfo* sheet;
    std::vector<int32_t> numbers;
  } cases[] = {{&ch, {3, 1, 2}}, {right.childSheets().at(0), {8}}, {right.childSheets().at(1), {}}, {&leaf, {1}}};
  for (const auto& c : cases) {
    std::string why;
    const InstanceSheet* loaded = c.sheet->load(&why);
    ASSERT_NE(loaded, nullptr) << c.sheet->fileName();
    EXPECT_EQ(&loaded->sheetInfo(), c.sheet);
    EXPECT_EQ(c.sheet->loadedSheet(), loaded);
    EXPECT_EQ(numbersOf(*loaded), c.numbers) << c.sheet->fileName();
    for (const InstanceComponent* component : loaded->components()) EXPECT_EQ(&component->instanceSheet(), loaded);
  }
  EXPECT_EQ(&leaf.parentBlock()->holdingSheet(), &ch);

  // Aborted, a sheet loads again as it was.
  ch.abort();
  EXPECT_EQ(ch.loadedSheet(), nullptr);
  const InstanceSheet* again = ch.load();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(numbersOf(*again), (std::vector<int32_t>{3, 1, 2}));
}

}  // namespace
}  // namespace comptab
