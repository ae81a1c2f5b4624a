#include "output/reference_list.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(ReferenceList, SplitsJoinsAndOpensRanges) {
  const struct {
    std::string_view cell, token, range;
    std::vector<std::string> refs;
  } cases[] = {
      {"R1", " ", "", {"R1"}},
      {"R1 R2 R10", " ", "", {"R1", "R2", "R10"}},
      {"R1,R2", ",", "", {"R1", "R2"}},
      {"R1 R2", "", "", {"R1 R2"}},
      {"R1-R3 R7", " ", "-", {"R1", "R2", "R3", "R7"}},
      {"R1-R3", " ", "", {"R1-R3"}},            // no ranges asked for
      {"R3-R1", " ", "-", {"R3-R1"}},            // backwards: as written
      {"R1-C3", " ", "-", {"R1-C3"}},            // two prefixes: as written
      {"U-1", " ", "-", {"U-1"}},                // only looks like a range
      {"R1-R999999999", " ", "-", {"R1-R999999999"}},  // too wide to open
      {"", " ", "-", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> out;
    splitReferences(c.cell, c.token, c.range, out);
    EXPECT_EQ(out, c.refs) << c.cell;
  }
}

}  // namespace
}  // namespace comptab
