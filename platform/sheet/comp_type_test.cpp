#include "platform/sheet/comp_type.h"

#include <gtest/gtest.h>

#include <string>

namespace comptab {
namespace {

TEST(CompType, CodesOutsideTheTableHaveStableNames) {
  EXPECT_EQ(CompType::name(0), "type0");
  EXPECT_EQ(CompType::name(static_cast<uint16_t>(CompType::table().size() + 1)),
            "type" + std::to_string(CompType::table().size() + 1));
  EXPECT_EQ(CompType::name(65535), "type65535");
  // Those names are not looked up: a file gives such a type by its code.
  for (const char* other : {"type15", "", "Gate", "gate "}) EXPECT_EQ(CompType::code(other), std::nullopt) << other;
}

TEST(CompType, ClassesByName) {
  EXPECT_TRUE(CompType::isGate("gate") && CompType::isParts("parts") && CompType::isPowerBox("powerBox"));
  EXPECT_FALSE(CompType::isGate("Gate") || CompType::isGate("parts") || CompType::isParts("type2"));
}

}  // namespace
}  // namespace comptab
