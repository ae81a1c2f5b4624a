#include "platform/rsc/rsc_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

// A value's kind, text, integer and table size, to compare in one go.
std::string shape(const RscValue& value) {
  std::string out = std::to_string(value.kind());
  if (value.text()) out += " " + *value.text();
  if (value.kind() == RscValue::Integer) out += " =" + std::to_string(value.integer());
  if (value.table())
    out += " " + std::to_string(value.table()->rowCount()) + "x" + std::to_string(value.table()->columnCount());
  return out;
}

class RscFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }
  std::unique_ptr<RscValue> valueOf(const std::string& toml) {
    std::string reason;
    const RscFile file = RscFile::open(dir.write("v.rsc", "v = " + toml + "\n"), &reason);
    EXPECT_EQ(reason, "");
    return file.lookup("v");
  }
  ScratchDir dir;
};

// Keys of many parts are refused before the parser recurses over them;
// dots in values, strings and comments do not count.
TEST_F(RscFileTest, DottedKeysOfTooManyPartsAreRefused) {
  const auto parts = [](size_t n) {
    std::string key = "k";
    for (size_t i = 1; i < n; ++i) key += ".k";
    return key;
  };
  const size_t most = RscFile::kMaxKeyParts;
  std::string floats;
  for (int i = 0; i < 1000; ++i) floats += "1.5, ";
  const std::string dots(1000, '.');
  const std::string refused = " a dotted key or table name of more than 64 parts";
  const struct {
    std::string toml;
    std::string error;  // the end of the reason, or empty
  } cases[] = {
      {parts(most) + " = 1\n", ""},
      {parts(most + 1) + " = 1\n", ":1:" + std::to_string(2 * most) + ":" + refused},
      {"[" + parts(most + 1) + "]\n", ":1:" + std::to_string(2 * most + 1) + ":" + refused},
      {"x = { " + parts(most + 1) + " = 1 }\n", refused},
      {"k . \"q\" . 'r'" + std::string(most, '.') + " = 1\n", refused},
      {"v = '" + dots + "'\nw = \"" + dots + "\\\"\"\n", ""},
      {"v = '''\n" + dots + "\n'''\n# " + dots + "\n", ""},
      {"v = [" + floats + "]\n", ""},
  };
  for (const auto& c : cases) {
    std::string reason;
    const RscFile file = RscFile::open(dir.write("k.rsc", c.toml), &reason);
    if (c.error.empty()) {
      EXPECT_EQ(reason, "") << c.toml.substr(0, 80);
    } else {
      EXPECT_TRUE(reason.ends_with(c.error)) << reason;
    }
  }
}

// Kinds: 1 text, 2 integer of 32 bits, 3 other scalar, 4 table, 5 other.
TEST_F(RscFileTest, KindsTextsAndTables) {
  const std::pair<const char*, const char*> cases[] = {
      {"'''two\nlines'''", "1 two\nlines"},
      {"0x1F", "2 31 =31"},
      {"-2147483648", "2 -2147483648 =-2147483648"},
      {"2147483647", "2 2147483647 =2147483647"},
      // Beyond 32 bits an integer stays text, so that no check sees it wrapped.
      {"2147483648", "3 2147483648"},
      {"-2147483649", "3 -2147483649"},
      {"true", "3 true"},
      {"0.1", "3 0.1"},
      {"3.0", "3 3.0"},
      {"-inf", "3 -inf"},
      {"1979-05-27", "3 1979-05-27"},
      {"{ a = 1 }", "5"},
      {"[]", "4 0x1"},
      {R"(["a", 1, true])", "4 3x1"},
      {R"([["a", 1], ["b", 2]])", "4 2x2"},
      {"[[], []]", "4 2x0"},
      {R"([["a", 1], ["b"]])", "5"},
      {R"(["a", ["b"]])", "5"},
      {R"([["a"], "b"])", "5"},
      {"[{ a = 1 }]", "5"},
      {R"([["a", ["b"]]])", "5"},
  };
  for (const auto& [toml, expected] : cases) {
    const auto value = valueOf(toml);
    ASSERT_NE(value, nullptr) << toml;
    EXPECT_EQ(shape(*value), expected) << toml;
  }
}

TEST_F(RscFileTest, CellsKeepTheirOwnKindsInRowMajorOrder) {
  const auto value = valueOf(R"([["R1", 8, "yes"], ["C2", -3, 1.5]])");
  const RscTable* table = value ? value->table() : nullptr;
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(shape(*table->cell(1, 1)), "2 -3 =-3");
  EXPECT_EQ(shape(*table->cell(0, 2)), "1 yes");
  EXPECT_EQ(shape(*table->cell(1, 2)), "3 1.5");
  EXPECT_EQ(table->cell(2, 0), nullptr);
  EXPECT_EQ(table->cell(0, 3), nullptr);
}

TEST_F(RscFileTest, OnlyTopLevelKeysExactlyAsWritten) {
  const RscFile file = RscFile::open(dir.write("t.rsc", "top = 1\n[section]\ninner = 2\n"));
  EXPECT_NE(file.lookup("top"), nullptr);
  EXPECT_EQ(file.lookup("TOP"), nullptr);
  EXPECT_EQ(file.lookup("inner"), nullptr);
  ASSERT_NE(file.lookup("section"), nullptr);
  EXPECT_EQ(file.lookup("section")->kind(), RscValue::Other);
}

// Among them inputs that made the parser reach undefined behaviour. Bytes
// that are not UTF-8 and a syntax error with its place are run end to end.
TEST_F(RscFileTest, FilesThatDoNotParseHaveNoKeysAndSayWhere) {
  const std::pair<std::string, const char*> cases[] = {
      {"v = 1\nv = 2\n", "2:5:"},
      {"v = 1\nsep = \xc2\xa6\n", "2:"},
      {"\xc3\xa9 = 1\n", "1:"},
      {"v = [ }\n", "1:"},
  };
  for (const auto& [bytes, where] : cases) {
    const std::string path = dir.write("bad.rsc", bytes);
    std::string reason;
    const RscFile file = RscFile::open(path, &reason);
    EXPECT_EQ(file.lookup("v"), nullptr) << bytes;
    EXPECT_EQ(reason.rfind(path + ":" + where, 0), 0u) << reason;
    EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
  }
}

TEST_F(RscFileTest, FilesThatCannotBeReadHaveNoKeysAndSayWhy) {
  std::string text = "v = 1\n#";
  text.resize(RscFile::kMaxBytes, 'x');
  std::string reason = "left over";
  RscFile::open(dir.write("limit.rsc", text), &reason);
  EXPECT_EQ(reason, "");
  const std::string big = dir.write("big.rsc", text + "x");
  // A directory is run end to end.
  for (const std::string& path : {dir.file("missing.rsc"), big}) {
    const RscFile file = RscFile::open(path, &reason);
    EXPECT_EQ(file.lookup("v"), nullptr);
    EXPECT_EQ(reason.rfind(path + ":1:1: ", 0), 0u) << reason;
  }
}

}  // namespace
}  // namespace comptab
