#include "extract/first_row_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace comptab {
namespace {

// Keys as the callers keep them: in the rows themselves. Every key hashes
// alike here unless `spread` is set, so the texts must tell rows apart.
struct Keys {
  std::vector<std::string> ofRow;
  bool spread = true;
  uint64_t hash(const std::string& key) const { return spread ? KeyHash().add(key).value() : 7; }
  int first(const FirstRowIndex& index, const std::string& key) const {
    return index.first(hash(key), [&](int row) { return ofRow[static_cast<size_t>(row)] == key; });
  }
  void open(FirstRowIndex& index, int row, const std::string& key) {
    if (ofRow.size() <= static_cast<size_t>(row)) ofRow.resize(static_cast<size_t>(row) + 1);
    ofRow[static_cast<size_t>(row)] = key;
    index.open(row, hash(key));
  }
};

TEST(FirstRowIndex, FirstOpenRowOfAKey) {
  for (const bool spread : {true, false}) {
    SCOPED_TRACE(spread ? "hashes apart" : "every hash alike");
    FirstRowIndex index;
    Keys keys;
    keys.spread = spread;
    EXPECT_EQ(keys.first(index, "A"), -1);
    keys.open(index, 0, "A");
    keys.open(index, 1, "B");
    keys.open(index, 2, "A");
    EXPECT_EQ(keys.first(index, "A"), 0);
    EXPECT_EQ(keys.first(index, "B"), 1);
    EXPECT_EQ(keys.first(index, ""), -1);

    keys.open(index, 0, "A");  // unchanged
    EXPECT_EQ(keys.first(index, "A"), 0);
    keys.open(index, 0, "C");  // moved: row 2 is now the first A
    EXPECT_EQ(keys.first(index, "A"), 2);
    EXPECT_EQ(keys.first(index, "C"), 0);
    keys.open(index, 2, "B");  // moved before a row already there
    EXPECT_EQ(keys.first(index, "B"), 1);
    index.close(1);
    EXPECT_EQ(keys.first(index, "B"), 2);
    EXPECT_EQ(keys.first(index, "A"), -1);
    keys.open(index, 1, "B");  // a closed row opened again keeps its place
    EXPECT_EQ(keys.first(index, "B"), 1);
    index.close(7);  // never opened
    EXPECT_FALSE(index.isOpen(7));
  }
}

// Growing the buckets keeps every open row and the order among them.
TEST(FirstRowIndex, ManyRowsStayFound) {
  FirstRowIndex index;
  Keys keys;
  for (int row = 0; row < 5000; ++row) keys.open(index, row, "K" + std::to_string(row % 1000));
  for (int k = 0; k < 1000; k += 37) EXPECT_EQ(keys.first(index, "K" + std::to_string(k)), k);
  for (int row = 0; row < 1000; ++row) index.close(row);
  EXPECT_EQ(keys.first(index, "K5"), 1005);
}

TEST(KeyHash, SplitBetweenTextsCounts) {
  EXPECT_NE(KeyHash().add("ab").add("c").value(), KeyHash().add("a").add("bc").value());
  EXPECT_NE(KeyHash().add("").value(), KeyHash().add("").add("").value());
  EXPECT_EQ(KeyHash().add("U1").add("PRO").value(), KeyHash().add("U1").add("PRO").value());
}

}  // namespace
}  // namespace comptab
