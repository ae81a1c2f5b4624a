#include "table/record_table.h"

#include <gtest/gtest.h>

#include "table/test_rows.h"

namespace comptab {
namespace {

using test::makeRow;

TEST(RecordTableTest, GrowthSequence) {
  struct Step {
    int index;
    int capacity;
    int count;
  };
  // Each list is one table's history of at() calls.
  const std::vector<std::vector<Step>> histories = {
      {{0, 1, 1}, {5, 6, 6}, {6, 12, 7}, {3, 12, 7}, {12, 24, 13}},
      {{-4, 1, 1}, {1, 2, 2}, {2, 4, 3}},
      {{299, 300, 300}, {300, 556, 301}, {556, 812, 557}},
  };
  for (const auto& history : histories) {
    RecordTable table;
    for (const Step& step : history) {
      table.at(step.index);
      EXPECT_EQ(table.capacity(), step.capacity) << "at(" << step.index << ")";
      EXPECT_EQ(table.count(), step.count) << "at(" << step.index << ")";
    }
  }
}

TEST(RecordTableTest, RowsKeepTheirListsThroughGrowthAndAssign) {
  RecordTable table;
  ComponentRecord outside;
  for (int i = 0; i < 40; ++i) {
    table.at(table.count()).assign(makeRow("reference=R" + std::to_string(i)));
    if (i == 0) outside.assign(table.at(0));
  }
  EXPECT_EQ(table[39].value("reference"), "R39");
  outside.setProperty("value", "10k");  // still one list after the table grew
  EXPECT_EQ(table[0].value("value"), "10k");

  RecordTable copy;
  copy.assign(table);
  EXPECT_EQ(copy.count(), 40);
  copy.at(5).setProperty("value", "22k");
  EXPECT_EQ(table[5].value("value"), "22k");

  RecordTable shorter;
  shorter.at(0).assign(makeRow("reference=X"));
  copy.assign(shorter);
  EXPECT_EQ(copy.count(), 1);
  EXPECT_FALSE(copy.at(3).hasProperties());  // nothing of the earlier rows
  EXPECT_EQ(table[3].value("reference"), "R3");
}

TEST(RecordTableTest, ClearRowsEmptiesTheListsForEveryHolder) {
  RecordTable table;
  ComponentRecord kept;
  kept.assign(table.at(0) = makeRow("reference=R1"));
  const int capacity = table.capacity();
  table.clearRows();
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(table.capacity(), capacity);
  EXPECT_FALSE(kept.hasProperties());
}

}  // namespace
}  // namespace comptab
