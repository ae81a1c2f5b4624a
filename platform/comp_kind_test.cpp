#include "platform/comp_kind.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/scratch_dir.h"

namespace comptab {
namespace {

class CompKindTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }

  std::unique_ptr<CompKindTable> openText(const std::string& text, std::string* reason = nullptr) {
    path = dir.file("CompKind.tbl", text);
    return CompKindTable::open(path, CompKindTable::kReadOnly, reason);
  }

  ScratchDir dir;
  std::string path;
};

constexpr const char* kTable = R"(
blockHeader = "X"
kinds = [
  [1,     "resistor",  "R"],
  [2,     "capacitor", "C"],
  [0,     "none",      ""],
  [65535, "last",      "Z"],
]
)";

TEST_F(CompKindTest, KindsByCode) {
  const auto table = openText(kTable);
  ASSERT_NE(table, nullptr);
  struct Case {
    int code;
    const char* name;  // null: no such kind
  } cases[] = {{1, "resistor"}, {2, "capacitor"}, {0, "none"},      {65535, "last"},
               {3, nullptr},    {-1, nullptr},    {65536, nullptr}, {65537, nullptr}};
  for (const Case& c : cases) {
    const CompKind* kind = table->compKind(c.code);
    if (c.name == nullptr) {
      EXPECT_EQ(kind, nullptr) << c.code;
    } else {
      ASSERT_NE(kind, nullptr) << c.code;
      EXPECT_EQ(kind->name, c.name);
      EXPECT_EQ(kind->code, c.code);
    }
  }
  ASSERT_EQ(table->kinds().size(), 4u);
  EXPECT_EQ(table->kinds()[2].name, "none");
}

TEST_F(CompKindTest, ReferenceHeaders) {
  const auto withBlock = openText(kTable);
  ASSERT_NE(withBlock, nullptr);
  const auto withoutBlock = openText("kinds = [[1, \"resistor\", \"R\"]]\n");
  ASSERT_NE(withoutBlock, nullptr);
  const auto emptyBlock = openText("blockHeader = \"\"\nkinds = [[1, \"resistor\", \"R\"]]\n");
  ASSERT_NE(emptyBlock, nullptr);
  struct Case {
    const CompKindTable* table;
    int code;
    bool isBlock;
    const char* header;
  } cases[] = {
      {withBlock.get(), 1, false, "R"},
      {withBlock.get(), 2, false, "C"},
      {withBlock.get(), 0, false, ""},
      {withBlock.get(), 7, false, ""},
      {withBlock.get(), -5, false, ""},
      {withBlock.get(), 1, true, "X"},
      // Blocks take the block header whatever their kind, known or not.
      {withBlock.get(), 7, true, "X"},
      {withBlock.get(), 70000, true, "X"},
      // Without a block header, a block is headed like any component of its kind.
      {withoutBlock.get(), 1, true, "R"},
      {withoutBlock.get(), 7, true, ""},
      {emptyBlock.get(), 1, true, ""},
      {emptyBlock.get(), 1, false, "R"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.table->refHeader(c.code, c.isBlock), c.header) << c.code << " " << c.isBlock;
}

TEST_F(CompKindTest, EmptyKindListIsAnEmptyTable) {
  const auto table = openText("kinds = []\n");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->compKind(1), nullptr);
  EXPECT_EQ(table->refHeader(1, true), "");
}

TEST_F(CompKindTest, BrokenFilesGiveTheirReason) {
  struct Case {
    const char* text;
    const char* reason;  // after "<path>: "
  } cases[] = {
      {"", "kinds is missing"},
      {"blockHeader = \"X\"\n", "kinds is missing"},
      {"kinds = \"R\"\n", "kinds must be an array of [code, name, reference header] rows, not the text \"R\""},
      // Long texts are cut short in the reason, never inside a character.
      {"kinds = \"0123456789012345678901234567890123456789012\"\n",
       "kinds must be an array of [code, name, reference header] rows, not the text "
       "\"0123456789012345678901234567890123456789...\""},
      {"kinds = \"012345678901234567890123456789012345678\xC3\xA9xyz\"\n",
       "kinds must be an array of [code, name, reference header] rows, not the text "
       "\"012345678901234567890123456789012345678...\""},
      {"kinds = [1, [2]]\n",
       "kinds must be an array of [code, name, reference header] rows, not a table or an array of mixed rows"},
      {"kinds = [[1, \"r\"], [2, \"c\", \"C\"]]\n",
       "kinds must be an array of [code, name, reference header] rows, not a table or an array of mixed rows"},
      {"kinds = [1, 2]\n", "kinds rows must have 3 cells (code, name, reference header), not 1"},
      {"kinds = [[1, \"r\", \"R\", \"x\"]]\n", "kinds rows must have 3 cells (code, name, reference header), not 4"},
      {"kinds = [[65536, \"r\", \"R\"]]\n", "kinds row 1: the code must be an integer from 0 to 65535, not 65536"},
      {"kinds = [[1, \"r\", \"R\"], [-1, \"r\", \"R\"]]\n",
       "kinds row 2: the code must be an integer from 0 to 65535, not -1"},
      {"kinds = [[99999999999, \"r\", \"R\"]]\n",
       "kinds row 1: the code must be an integer from 0 to 65535, not 99999999999"},
      {"kinds = [[\"1\", \"r\", \"R\"]]\n",
       "kinds row 1: the code must be an integer from 0 to 65535, not the text \"1\""},
      {"kinds = [[1.0, \"r\", \"R\"]]\n", "kinds row 1: the code must be an integer from 0 to 65535, not 1.0"},
      {"kinds = [[1, \"\", \"R\"]]\n", "kinds row 1: the name must be a string that is not empty, not the text \"\""},
      {"kinds = [[1, 5, \"R\"]]\n", "kinds row 1: the name must be a string that is not empty, not 5"},
      {"kinds = [[1, \"r\", true]]\n", "kinds row 1: the reference header must be a string, not true"},
      {"kinds = [[1, \"r\", \"R\"], [2, \"c\", \"C\"], [1, \"again\", \"A\"]]\n",
       "kinds row 3: code 1 is given again (first in row 1)"},
      {"blockHeader = 1\nkinds = []\n", "blockHeader must be a string, not 1"},
      {"formatVersion = 0\nkinds = []\n", "formatVersion 0 is not one this program reads (it reads 1)"},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_EQ(openText(c.text, &reason), nullptr) << c.text;
    EXPECT_EQ(reason, path + ": " + c.reason);
  }
}

TEST_F(CompKindTest, OnlyTheReadModeOpens) {
  // Unreadable and malformed files go through the same reader as the data
  // resource, whose tests cover them.
  path = dir.file("ok.tbl", "kinds = []\n");
  std::string reason;
  EXPECT_EQ(CompKindTable::open(path, 1, &reason), nullptr);
  EXPECT_EQ(reason, path + ": open mode 1 is not supported (the table opens with mode 2, to read)");
}

}  // namespace
}  // namespace comptab
