#include "platform/name_set.h"

#include <gtest/gtest.h>

#include <string>

namespace comptab {
namespace {

TEST(KcdbObjectSets, HeldByTheirOwnNameFirstKept) {
  KcdbComponentSet components;
  const KcdbComponent* nand = components.attach(KcdbComponent("NAND", 3, 4, {{"1", 1}}));
  ASSERT_NE(nand, nullptr);
  // A second object of the same name does not replace the first, which
  // callers may already hold.
  EXPECT_EQ(components.attach(KcdbComponent("NAND", 3, 2, {})), nand);
  EXPECT_EQ(nand->gateCount(), 4);
  // Held objects stay where they are while others are added.
  for (int i = 0; i < 100; ++i) components.attach(KcdbComponent("C" + std::to_string(i), 2, 1, {}));
  EXPECT_EQ(components.search("NAND"), nand);
  EXPECT_EQ(nand->gateNo("1"), 1);
  EXPECT_EQ(components.search("nand"), nullptr);
  components.deleteAll();
  EXPECT_EQ(components.search("NAND"), nullptr);
}

}  // namespace
}  // namespace comptab
