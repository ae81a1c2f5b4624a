#include "platform/comp_type.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace comptab {
namespace {

TEST(CompType, NamesAndCodesBothWays) {
  struct Case {
    uint16_t code;
    const char* name;
  } cases[] = {
      {1, "normal"},      {2, "parts"},       {3, "gate"},       {4, "powerBox"},  {5, "block"},
      {6, "connector"},   {7, "power"},       {8, "ground"},     {9, "sheetPort"}, {10, "offPage"},
      {11, "mechanical"}, {12, "titleBlock"}, {13, "testPoint"}, {14, "graphic"},
  };
  ASSERT_EQ(CompType::table().size(), std::size(cases));
  for (const Case& c : cases) {
    EXPECT_EQ(CompType::name(c.code), c.name);
    EXPECT_EQ(CompType::code(c.name), c.code) << c.name;
  }
}

TEST(CompType, CodesOutsideTheTableHaveStableNames) {
  EXPECT_EQ(CompType::name(0), "type0");
  EXPECT_EQ(CompType::name(15), "type15");
  EXPECT_EQ(CompType::name(65535), "type65535");
  // Those names are not looked up: a file gives such a type by its code.
  EXPECT_EQ(CompType::code("type15"), std::nullopt);
  for (const char* other : {"", "Gate", "GATE", "gate ", "power box", "powerbox"})
    EXPECT_EQ(CompType::code(other), std::nullopt) << other;
}

TEST(CompType, ClassPredicates) {
  std::set<uint16_t> gates, parts, powerBoxes, blocks;
  for (uint32_t code = 0; code <= 0xFFFF; ++code) {
    const auto c = static_cast<uint16_t>(code);
    if (CompType::isGate(c)) gates.insert(c);
    if (CompType::isParts(c)) parts.insert(c);
    if (CompType::isPowerBox(c)) powerBoxes.insert(c);
    if (CompType::isBlock(c)) blocks.insert(c);
  }
  EXPECT_EQ(gates, std::set<uint16_t>{3});
  EXPECT_EQ(parts, std::set<uint16_t>{2});
  EXPECT_EQ(powerBoxes, std::set<uint16_t>{4});
  EXPECT_EQ(blocks, std::set<uint16_t>{5});

  EXPECT_TRUE(CompType::isGate("gate"));
  EXPECT_TRUE(CompType::isParts("parts"));
  EXPECT_TRUE(CompType::isPowerBox("powerBox"));
  for (const char* name : {"Gate", "part", "powerbox", "type3", ""}) {
    EXPECT_FALSE(CompType::isGate(std::string_view(name))) << name;
    EXPECT_FALSE(CompType::isParts(std::string_view(name))) << name;
    EXPECT_FALSE(CompType::isPowerBox(std::string_view(name))) << name;
  }
}

}  // namespace
}  // namespace comptab
