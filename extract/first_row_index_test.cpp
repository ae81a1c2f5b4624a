#include "extract/first_row_index.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(FirstRowIndex, FirstOpenRowOfAKey) {
  FirstRowIndex index;
  EXPECT_EQ(index.first("A"), -1);
  index.open(0, "A");
  index.open(1, "B");
  index.open(2, "A");
  EXPECT_EQ(index.first("A"), 0);
  EXPECT_EQ(index.first("B"), 1);
  EXPECT_EQ(index.first(""), -1);

  index.update(0, "A", true);  // unchanged
  EXPECT_EQ(index.first("A"), 0);
  index.update(0, "C", true);  // moved: row 2 is now the first A
  EXPECT_EQ(index.first("A"), 2);
  EXPECT_EQ(index.first("C"), 0);
  index.update(2, "B", true);  // moved before a row already there
  EXPECT_EQ(index.first("B"), 1);
  index.update(1, "B", false);  // closed
  EXPECT_EQ(index.first("B"), 2);
  EXPECT_EQ(index.first("A"), -1);
  index.update(1, "B", true);  // a closed row opened again keeps its place
  EXPECT_EQ(index.first("B"), 1);
  index.update(7, "D", false);  // never opened, stays out
  EXPECT_EQ(index.first("D"), -1);
}

}  // namespace
}  // namespace comptab
