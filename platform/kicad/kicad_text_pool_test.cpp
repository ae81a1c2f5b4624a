// The pool the schematic's texts are copied into: equal texts shared,
// every text staying where it was put while the pool grows.
#include "platform/kicad/kicad_text_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace comptab {
namespace {

TEST(KicadTextPoolTest, CopiesStayPutAndEqualTextsAreShared) {
  KicadTextPool pool;
  std::vector<std::string> given;
  std::vector<std::string_view> kept;
  // Enough texts to grow the table and fill many blocks, long ones (a block
  // of their own) among them.
  for (int i = 0; i < 20000; ++i) {
    std::string text = "R" + std::to_string(i % 7000);
    if (i % 997 == 0) text = std::string(20000 + static_cast<size_t>(i), 'x');
    given.push_back(text);
    kept.push_back(i % 3 == 0 ? pool.addUnique(text) : pool.add(text));
    EXPECT_NE(kept.back().data(), given.back().data());
  }
  for (size_t i = 0; i < given.size(); ++i) ASSERT_EQ(kept[i], given[i]) << i;
  EXPECT_EQ(pool.add("R5").data(), pool.add(std::string("R5")).data());
  EXPECT_TRUE(pool.add("").empty());
  EXPECT_TRUE(pool.addUnique("").empty());
  const size_t before = pool.bytes();
  pool.endSharing();
  const std::string_view again = pool.add("R5");
  EXPECT_EQ(again, "R5");
  EXPECT_EQ(pool.bytes(), before + 2);
  for (size_t i = 0; i < given.size(); ++i) ASSERT_EQ(kept[i], given[i]) << i;
}

}  // namespace
}  // namespace comptab
