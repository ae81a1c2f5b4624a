#include "extract/split_reference.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/rsc/comp_kind.h"

namespace comptab {
namespace {

TEST(SplitReference, WithAndWithoutTheKindTable) {
  const std::string path = std::filesystem::temp_directory_path() / "comptab-split-reference.tbl";
  std::ofstream(path) << "kinds = [[1, \"resistor\", \"R\"], [4, \"switch\", \"SW\"], [5, \"other\", \"\"]]\n"
                         "blockHeader = \"X\"\n";
  std::string reason;
  const auto kinds = CompKindTable::open(path, CompKindTable::kReadOnly, &reason);
  std::filesystem::remove(path);
  ASSERT_TRUE(kinds) << reason;
  struct Case {
    bool withTable;
    int kind;
    bool block;
    const char* reference;
    const char* header;
    const char* number;
  } cases[] = {
      {false, 1, false, "R12", "R", "12"},
      {false, 4, false, "SW3A", "SW", "3A"},
      {false, 1, false, "", "", ""},
      {false, 1, false, "IC-3", "IC-", "3"},
      {false, 1, false, "ABC", "ABC", ""},
      {true, 4, false, "SW12", "SW", "12"},
      {true, 4, false, "S12", "S", "12"},     // does not begin with the kind's header: split at the digit
      {true, 1, true, "X7", "X", "7"},        // blocks take the block header
      {true, 5, false, "Q1", "", "Q1"},       // an empty header begins every reference
      {true, 99, false, "U3", "", "U3"},      // an unknown kind has an empty header
      {true, 1, false, "RN2", "R", "N2"},
  };
  for (const Case& c : cases) {
    std::string header = "stale";
    std::string number = "stale";
    splitReference(c.withTable ? kinds.get() : nullptr, c.kind, c.block, c.reference, header, number);
    EXPECT_EQ(header, c.header) << c.reference;
    EXPECT_EQ(number, c.number) << c.reference;
  }
}

}  // namespace
}  // namespace comptab
