#include "platform/rsc/comp_kind.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

class CompKindTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }

  std::unique_ptr<CompKindTable> openText(const std::string& text, std::string* reason = nullptr) {
    path = dir.write("CompKind.tbl", text);
    return CompKindTable::open(path, CompKindTable::kReadOnly, reason);
  }

  ScratchDir dir;
  std::string path;
};

// Code 0 is a kind here, so a code that wrapped to 16 bits would find it.
constexpr const char* kTable = R"(
blockHeader = "X"
kinds = [[1, "resistor", "R"], [0, "none", ""], [65535, "last", "Z"]]
)";

TEST_F(CompKindTest, KindsAndReferenceHeaders) {
  const auto table = openText(kTable);
  const auto withoutBlock = openText("kinds = [[1, \"resistor\", \"R\"]]\n");
  const auto emptyBlock = openText("blockHeader = \"\"\nkinds = [[1, \"resistor\", \"R\"]]\n");
  const auto noKinds = openText("kinds = []\n");
  ASSERT_TRUE(table && withoutBlock && emptyBlock && noKinds);
  const std::pair<int, const char*> codes[] = {{1, "resistor"}, {65535, "last"}, {3, "-"}, {-1, "-"}, {65536, "-"}};
  for (const auto& [code, name] : codes) EXPECT_EQ(table->compKind(code) ? table->compKind(code)->name : "-", name);
  EXPECT_EQ(table->kinds().at(1).name, "none");  // in the file's order
  EXPECT_EQ(table->refHeader(1, false), "R");
  EXPECT_EQ(table->refHeader(7, false), "");
  // Blocks take the block header whatever their kind, known or not...
  EXPECT_EQ(table->refHeader(7, true), "X");
  // ...and without one are headed like any component of their kind.
  EXPECT_EQ(withoutBlock->refHeader(1, true), "R");
  EXPECT_EQ(emptyBlock->refHeader(1, true), "");
  EXPECT_EQ(noKinds->refHeader(1, false), "");
}

// The first reasons are shown whole, the rest by how they start. A file
// without kinds is run end to end.
TEST_F(CompKindTest, BrokenFilesGiveTheirReason) {
  const std::string rows = "kinds must be an array of [code, name, reference header] rows, not ";
  const std::pair<const char*, std::string> cases[] = {
      // Long texts are cut short in the reason, never inside a character.
      {"kinds = \"0123456789012345678901234567890123456789012\"\n",
       rows + "the text \"0123456789012345678901234567890123456789...\""},
      {"kinds = \"012345678901234567890123456789012345678\xC3\xA9xyz\"\n",
       rows + "the text \"012345678901234567890123456789012345678...\""},
      {"kinds = [1, 2]\n", "kinds rows must have 3 cells (code, name, reference header), not 1"},
      {"kinds = [[65536, \"r\", \"R\"]]\n", "kinds row 1: the code must be an integer from 0 to 65535, not 65536"},
      {"kinds = [[1, \"r\", \"R\"], [-1, \"r\", \"R\"]]\n", "kinds row 2: the code must be"},
      {"kinds = [[1, \"\", \"R\"]]\n", "kinds row 1: the name must be a string that is not empty"},
      {"kinds = [[1, \"r\", true]]\n", "kinds row 1: the reference header must be a string"},
      {"kinds = [[1, \"r\", \"R\"], [2, \"c\", \"C\"], [1, \"again\", \"A\"]]\n",
       "kinds row 3: code 1 is given again (first in row 1)"},
      {"blockHeader = 1\nkinds = []\n", "blockHeader must be a string"},
  };
  for (const auto& [text, expected] : cases) {
    std::string reason;
    EXPECT_EQ(openText(text, &reason), nullptr) << text;
    EXPECT_EQ(reason.rfind(path + ": " + expected, 0), 0u) << reason;
  }
}

}  // namespace
}  // namespace comptab
