#include "platform/rsc_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/scratch_dir.h"

namespace comptab {
namespace {

class RscFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }
  std::unique_ptr<RscValue> valueOf(const std::string& toml) {
    const RscFile file = RscFile::open(dir.write("v.rsc", "v = " + toml + "\n"));
    EXPECT_EQ(file.parseError(), "");
    return file.lookup("v");
  }
  ScratchDir dir;
};

TEST_F(RscFileTest, ScalarKindsAndTexts) {
  struct Case {
    const char* toml;
    int kind;
    std::optional<std::string> text;
    int32_t integer;
  };
  const Case cases[] = {
      {"'''two\nlines'''", RscValue::Text, "two\nlines", 0},
      {"0x1F", RscValue::Integer, "31", 31},
      {"2147483647", RscValue::Integer, "2147483647", INT32_MAX},
      {"-2147483648", RscValue::Integer, "-2147483648", INT32_MIN},
      // Beyond 32 bits an integer stays text, so that no check sees it wrapped.
      {"2147483648", RscValue::Scalar, "2147483648", 0},
      {"-2147483649", RscValue::Scalar, "-2147483649", 0},
      {"true", RscValue::Scalar, "true", 0},
      {"0.1", RscValue::Scalar, "0.1", 0},
      {"3.0", RscValue::Scalar, "3.0", 0},
      {"-inf", RscValue::Scalar, "-inf", 0},
      {"1979-05-27", RscValue::Scalar, "1979-05-27", 0},
      {"{ a = 1 }", RscValue::Other, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.toml);
    const auto value = valueOf(c.toml);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->kind(), c.kind);
    EXPECT_EQ(value->text(), c.text);
    if (c.kind == RscValue::Integer) {
      EXPECT_EQ(value->integer(), c.integer);
    }
    EXPECT_EQ(value->table(), nullptr);
  }
}

TEST_F(RscFileTest, ArraysThatAreTablesAndArraysThatAreNot) {
  struct Case {
    const char* toml;
    int kind;
    size_t columns;
    size_t rows;
  };
  const Case cases[] = {
      {"[]", RscValue::Table, 1, 0},
      {R"(["a", 1, true])", RscValue::Table, 1, 3},
      {R"([["a", 1], ["b", 2]])", RscValue::Table, 2, 2},
      {"[[], []]", RscValue::Table, 0, 2},
      {R"([["a", 1], ["b"]])", RscValue::Other, 0, 0},
      {R"(["a", ["b"]])", RscValue::Other, 0, 0},
      {R"([["a"], "b"])", RscValue::Other, 0, 0},
      {"[{ a = 1 }]", RscValue::Other, 0, 0},
      {R"([["a", ["b"]]])", RscValue::Other, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.toml);
    const auto value = valueOf(c.toml);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->kind(), c.kind);
    EXPECT_EQ(value->text(), std::nullopt);
    if (c.kind != RscValue::Table) {
      EXPECT_EQ(value->table(), nullptr);
      continue;
    }
    ASSERT_NE(value->table(), nullptr);
    EXPECT_EQ(value->table()->columnCount(), c.columns);
    EXPECT_EQ(value->table()->rowCount(), c.rows);
  }
}

TEST_F(RscFileTest, CellsKeepTheirOwnKindsInRowMajorOrder) {
  const auto value = valueOf(R"([["R1", 8, "yes"], ["C2", -3, 1.5]])");
  ASSERT_NE(value, nullptr);
  const RscTable* table = value->table();
  ASSERT_NE(table, nullptr);
  ASSERT_NE(table->cell(1, 1), nullptr);
  EXPECT_EQ(table->cell(1, 1)->kind(), RscValue::Integer);
  EXPECT_EQ(table->cell(1, 1)->integer(), -3);
  ASSERT_NE(table->cell(0, 2), nullptr);
  EXPECT_EQ(table->cell(0, 2)->text(), "yes");
  EXPECT_EQ(table->cell(1, 2)->kind(), RscValue::Scalar);
  EXPECT_EQ(table->cell(2, 0), nullptr);
  EXPECT_EQ(table->cell(0, 3), nullptr);
}

TEST_F(RscFileTest, OnlyTopLevelKeysExactlyAsWritten) {
  const RscFile file = RscFile::open(dir.write("t.rsc", "top = 1\n[section]\ninner = 2\n"));
  ASSERT_NE(file.lookup("top"), nullptr);
  EXPECT_EQ(file.lookup("TOP"), nullptr);
  EXPECT_EQ(file.lookup("inner"), nullptr);
  ASSERT_NE(file.lookup("section"), nullptr);
  EXPECT_EQ(file.lookup("section")->kind(), RscValue::Other);
}

TEST_F(RscFileTest, FilesThatDoNotParseHaveNoKeysAndSayWhere) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* where;  // how the message starts after the path; "" when the file parses
  };
  const Case cases[] = {
      {"syntax", "v = 1\nbad = \n", "2:7:"},
      {"duplicate", "v = 1\nv = 2\n", "2:5:"},
      {"non-utf8", "v = \"\xff\"\n", "1:5:"},
      {"garbage", std::string("\x00\x01\x7f\xfe\xff v = 1", 11), "1:"},
      {"unquoted non-ASCII", "v = 1\nsep = \xc2\xa6\n", "2:"},
      {"non-ASCII key", "\xc3\xa9 = 1\n", "1:"},
      {"bracket mismatch", "v = [ }\n", "1:"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.write(c.name, c.bytes);
    const RscFile file = RscFile::open(path);
    EXPECT_EQ(file.lookup("v"), nullptr);
    if (*c.where == '\0') {
      EXPECT_EQ(file.parseError(), "");
      continue;
    }
    EXPECT_EQ(file.parseError().rfind(path + ":" + c.where, 0), 0u) << file.parseError();
    EXPECT_EQ(file.parseError().find('\n'), std::string::npos);
  }
}

TEST_F(RscFileTest, FilesThatCannotBeReadHaveNoKeysAndSayWhy) {
  const std::string big = dir.write("big.rsc", "v = 1\n");
  std::error_code ec;
  std::filesystem::resize_file(big, RscFile::kMaxBytes + 1, ec);
  ASSERT_FALSE(ec);
  std::string paths[] = {dir.file("missing.rsc"), dir.path(), big, dir.write("locked.rsc", "v = 1\n")};
  const bool root = ::geteuid() == 0;  // root reads a file whatever its mode
  ::chmod(paths[3].c_str(), 0);
  for (const std::string& path : paths) {
    if (root && path == paths[3]) continue;
    SCOPED_TRACE(path);
    const RscFile file = RscFile::open(path);
    EXPECT_EQ(file.lookup("v"), nullptr);
    EXPECT_EQ(file.parseError().rfind(path + ":1:1: ", 0), 0u) << file.parseError();
  }
}

TEST_F(RscFileTest, FileOfExactlyTheLimitIsRead) {
  std::string text = "v = 1\n#";
  text.resize(RscFile::kMaxBytes, 'x');
  const RscFile file = RscFile::open(dir.write("limit.rsc", text));
  EXPECT_EQ(file.parseError(), "");
  EXPECT_NE(file.lookup("v"), nullptr);
}

}  // namespace
}  // namespace comptab
