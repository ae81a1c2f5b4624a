#include "platform/support/name_set.h"

#include <gtest/gtest.h>

#include <string>

namespace comptab {
namespace {

class Part {
 public:
  Part(std::string name, int pins) : name_(std::move(name)), pins_(pins) {}
  const std::string& name() const { return name_; }
  int pins() const { return pins_; }

 private:
  std::string name_;
  int pins_;
};

TEST(NamedObjectSet, HeldByTheirOwnNameFirstKept) {
  NamedObjectSet<Part, &Part::name> parts;
  const Part* nand = parts.attach(Part("NAND", 14));
  ASSERT_NE(nand, nullptr);
  // A second object of the same name does not replace the first, which
  // callers may already hold.
  EXPECT_EQ(parts.attach(Part("NAND", 16)), nand);
  EXPECT_EQ(nand->pins(), 14);
  // Held objects stay where they are while others are added.
  for (int i = 0; i < 100; ++i) parts.attach(Part("C" + std::to_string(i), 2));
  EXPECT_EQ(parts.search("NAND"), nand);
  EXPECT_EQ(parts.search("nand"), nullptr);
  parts.deleteAll();
  EXPECT_EQ(parts.search("NAND"), nullptr);
}

}  // namespace
}  // namespace comptab
