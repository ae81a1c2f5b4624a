// A property entry gives back exactly the view it was made from: the same
// address and length, for texts of every length, the long ones that do not
// fit its packed words included.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/sheet/sheet_data.h"

namespace comptab {
namespace {

TEST(PropertyDataTest, GivesBackTheViewsItWasMadeFrom) {
  const std::string big(200000, 'x');
  const std::vector<std::string_view> texts = {
      {},
      std::string_view(big.data(), 0),
      std::string_view(big.data() + 7, 1),
      std::string_view(big.data(), 65534),
      std::string_view(big.data() + 1, 65535),  // the first length kept aside
      std::string_view(big.data() + 2, 65536),
      std::string_view(big.data(), big.size()),
  };
  std::vector<PropertyData> entries;
  for (const std::string_view name : texts)
    for (const std::string_view value : texts) entries.emplace_back(name, value);
  size_t i = 0;
  for (const std::string_view name : texts)
    for (const std::string_view value : texts) {
      const PropertyData& entry = entries[i++];
      EXPECT_EQ(entry.name().data(), name.data());
      EXPECT_EQ(entry.name().size(), name.size());
      EXPECT_EQ(entry.value().data(), value.data());
      EXPECT_EQ(entry.value().size(), value.size());
    }
  const PropertyData none;
  EXPECT_TRUE(none.name().empty());
  EXPECT_TRUE(none.value().empty());
}

}  // namespace
}  // namespace comptab
