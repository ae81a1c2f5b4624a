#include "platform/name_set.h"

#include <gtest/gtest.h>

#include <string>

namespace comptab {
namespace {

TEST(NameSet, ExactTextMembership) {
  NameSet names;
  names.attach("74HC00");
  names.attach("74HC00");
  names.attach("");
  EXPECT_EQ(names.size(), 2u);
  EXPECT_EQ(names.contains("74HC00"), 1);
  EXPECT_EQ(names.contains(""), 1);
  for (const char* other : {"74hc00", "74HC0", "74HC00 ", "74HC000"}) EXPECT_EQ(names.contains(other), 0) << other;
  names.deleteAll();
  EXPECT_EQ(names.size(), 0u);
  EXPECT_EQ(names.contains("74HC00"), 0);
}

TEST(KcdbObjectSets, HeldByTheirOwnNameFirstKept) {
  KcdbComponentSet components;
  const KcdbComponent* nand = components.attach(KcdbComponent("NAND", 3, 4, {{"1", 1}}));
  ASSERT_NE(nand, nullptr);
  // A second object of the same name does not replace the first, which
  // callers may already hold.
  EXPECT_EQ(components.attach(KcdbComponent("NAND", 3, 2, {})), nand);
  EXPECT_EQ(nand->gateCount(), 4);
  for (int i = 0; i < 100; ++i) components.attach(KcdbComponent("C" + std::to_string(i), 2, 1, {}));
  EXPECT_EQ(components.search("NAND"), nand);
  EXPECT_EQ(nand->gateNo("1"), 1);
  EXPECT_EQ(components.search("nand"), nullptr);
  EXPECT_EQ(components.search("C42")->compName(), "C42");

  KcdbDeviceSet devices;
  devices.attach(KcdbDevice("74HC00", {{"componentName", "NAND"}}));
  EXPECT_EQ(devices.search("74HC00")->props().at(0).value, "NAND");
  devices.deleteAll();
  EXPECT_EQ(devices.search("74HC00"), nullptr);
  components.deleteAll();
  EXPECT_EQ(components.size(), 0u);
}

}  // namespace
}  // namespace comptab
