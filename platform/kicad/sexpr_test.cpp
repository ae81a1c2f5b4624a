// The S-expression reader: what a good text gives, and a table of broken
// texts with the place and reason each is refused for.
#include "platform/kicad/sexpr.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace comptab {
namespace {

TEST(SexprTest, ReadsListsAtomsAndStrings) {
  const std::string text =
      "(kicad_sch (version 20231120)\n"
      "  (property \"Value\" \"10\\\"k\\\\\" (at 1.5 -2 90))\n"
      "  (data |AB(C)\"D|) (name \"\\x41\\102\\n\") (empty \"\") ())\n";
  SexprDocument doc;
  std::string why;
  ASSERT_TRUE(doc.parse(text, &why)) << why;
  const SexprView root = doc.root();
  EXPECT_EQ(root.head(), "kicad_sch");
  EXPECT_EQ(root.find("version").textAt(1), "20231120");
  const SexprView property = root.find("property");
  EXPECT_EQ(property.textAt(1), "Value");
  EXPECT_EQ(property.textAt(2), "10\"k\\");
  EXPECT_EQ(property.find("at").textAt(2), "-2");
  EXPECT_FALSE(property.find("at").at(4).isValid());
  EXPECT_EQ(root.find("data").textAt(1), "AB(C)\"D");
  EXPECT_EQ(root.find("name").textAt(1), "AB\n");
  EXPECT_TRUE(root.find("empty").at(1).isValid());
  EXPECT_EQ(root.find("empty").textAt(1), "");
  EXPECT_FALSE(root.find("missing").isValid());
  size_t elements = 0;
  for (const SexprView element : root) {
    (void)element;
    ++elements;
  }
  EXPECT_EQ(elements, 7u);  // the head, five lists and ()
  EXPECT_EQ(doc.where(property.offset()), "line 2, column 3");
}

TEST(SexprTest, RefusesBrokenTextsSayingWhere) {
  struct Case {
    const char* name;
    std::string text;
    const char* why;
  };
  const Case cases[] = {
      {"empty", "", "1:1: the file holds no list"},
      {"blank", "  \n ", "1:1: the file holds no list"},
      {"cut short", "(kicad_sch\n  (symbol (at 1 2)", "2:19: the list opened at line 2, column 3 is not closed (is the file cut short?)"},
      {"stray close", "(a))", "1:4: ')' closes no list"},
      {"second list", "(a) (b)", "1:5: text after the end of the top-level list"},
      {"bare atom", "kicad_sch", "1:1: expected '(' to open the top-level list"},
      {"open string", "(a \"bc)", "1:4: this string is not closed (is the file cut short?)"},
      {"bad escape", "(a \"b\\qc\")", "1:6: an unknown escape '\\q' in a string"},
      {"nul escape", "(a \"b\\0c\")", "1:6: a NUL character in a string"},
      {"raw nul", std::string("(a \"b\0c\")", 9), "1:6: a NUL character in a string"},
      {"raw nul among escapes", std::string("(a \"\\n\0\")", 9), "1:7: a NUL character in a string"},
      {"latin-1 string", "(a\n (b \"caf\xE9\"))", "2:9: a string that is not UTF-8 text"},
      {"latin-1 word", "(a caf\xE9)", "1:7: a word that is not UTF-8 text"},
      {"overlong", "(a \"\xC0\xAF\")", "1:5: a string that is not UTF-8 text"},
      {"surrogate", "(a \"\xED\xA0\x80\")", "1:5: a string that is not UTF-8 text"},
      {"overlong of three bytes", "(a \"\xE0\x80\x80\")", "1:5: a string that is not UTF-8 text"},
      {"overlong of four bytes", "(a \"\xF0\x80\x80\x80\")", "1:5: a string that is not UTF-8 text"},
      {"overlong word", "(a x\xE0\x9F\xBF)", "1:5: a word that is not UTF-8 text"},
      {"overlong made by escapes", "(a \"\\xE0\\x80\\x80\")", "1:4: the escapes of this string make text that is not UTF-8"},
      {"cut character", "(a \"x\xE2\x82\")", "1:6: a string that is not UTF-8 text"},
      {"control", "(a b\x01)", "1:5: a control character (0x01)"},
      {"open data", "(a |abc", "1:4: this |data| block is not closed"},
      {"columns count characters", "(a \"\xC3\xA9\xC3\xA9\" \"\xFF\")", "1:10: a string that is not UTF-8 text"},
  };
  for (const Case& c : cases) {
    SexprDocument doc;
    std::string why;
    EXPECT_FALSE(doc.parse(c.text, &why)) << c.name;
    EXPECT_EQ(why, c.why) << c.name;
  }
}

TEST(SexprTest, StopsAtTheNodeLimit) {
  // Lists of nothing make the most nodes a byte of text can.
  std::string empties = "(";
  for (size_t i = 1; i < SexprDocument::kMaxNodes; ++i) empties += "()";
  SexprDocument doc;
  std::string why;
  EXPECT_TRUE(doc.parse(empties + ")", &why)) << why;
  EXPECT_FALSE(doc.parse(empties + "())", &why));
  EXPECT_EQ(why, "1:16777216: more than 8388608 lists, words and strings in one file");
}

TEST(SexprTest, StopsAtTheDepthLimitWithoutRecursing) {
  SexprDocument doc;
  std::string why;
  std::string deep(1000000, '(');
  EXPECT_FALSE(doc.parse(deep, &why));
  EXPECT_EQ(why, "1:257: lists nest deeper than 256 levels");
  const std::string limit = std::string(SexprDocument::kMaxDepth, '(') + std::string(SexprDocument::kMaxDepth, ')');
  EXPECT_TRUE(doc.parse(limit, &why)) << why;
}

// parseItems hands over each list of the top-level list once closed and
// drops its nodes: what the handler kept of it must stay good (escaped
// strings too), the top-level atoms stay, and a fault of the text after a
// list the handler refused still wins.
TEST(SexprTest, ReadsListByList) {
  const std::string text = "(kicad_sch 7 (a \"x\\\"y\" (deep (er))) word (b \"plain\") (c))";
  SexprDocument doc;
  std::vector<std::string> heads;
  std::vector<std::string_view> kept;
  bool textFailed = true;
  std::string why;
  ASSERT_TRUE(doc.parseItems(
      text,
      [&](SexprView item) {
        heads.emplace_back(item.head());
        kept.push_back(item.textAt(1));
        return true;
      },
      textFailed, &why))
      << why;
  EXPECT_FALSE(textFailed);
  EXPECT_EQ(heads, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(kept[0], "x\"y");
  EXPECT_EQ(kept[1], "plain");
  std::vector<std::string> atoms;
  for (const SexprView element : doc.root()) atoms.emplace_back(element.text());
  EXPECT_EQ(atoms, (std::vector<std::string>{"kicad_sch", "7", "word"}));

  struct Case {
    const char* name;
    std::string text;
    bool textFailed;
    const char* why;
    int calls;
  };
  const Case cases[] = {
      {"refused, text fine", "(k (a) (stop) (b))", false, "handler", 2},
      {"refused, text broken later", "(k (stop) (b \"open)", true, "1:14: this string is not closed (is the file cut short?)", 1},
      {"text broken first", "(k (a \"\\q\") (stop))", true, "1:8: an unknown escape '\\q' in a string", 0},
  };
  for (const Case& c : cases) {
    int calls = 0;
    std::string reason;
    const bool ok = doc.parseItems(
        c.text,
        [&](SexprView item) {
          ++calls;
          if (item.head() != "stop") return true;
          reason = "handler";
          return false;
        },
        textFailed, &reason);
    EXPECT_FALSE(ok) << c.name;
    EXPECT_EQ(textFailed, c.textFailed) << c.name;
    EXPECT_EQ(reason, c.why) << c.name;
    EXPECT_EQ(calls, c.calls) << c.name;
  }
}

// The bound on nodes holds for what is kept at once: lists of a few nodes
// each, far more in all than a whole tree may have, are read one by one.
TEST(SexprTest, BoundsTheNodesOfOneListAtATime) {
  std::string many = "(";
  for (size_t i = 0; i < SexprDocument::kMaxNodes / 2 + 10; ++i) many += "(a b)";
  many += ")";
  SexprDocument doc;
  std::string why;
  EXPECT_FALSE(doc.parse(many, &why));
  bool textFailed = false;
  size_t items = 0;
  EXPECT_TRUE(doc.parseItems(many, [&](SexprView) { return ++items > 0; }, textFailed, &why)) << why;
  EXPECT_EQ(items, SexprDocument::kMaxNodes / 2 + 10);
}

TEST(SexprTest, InvalidUtf8At) {
  EXPECT_EQ(invalidUtf8At("plain"), 5u);
  EXPECT_EQ(invalidUtf8At("\xE2\x82\xAC \xF0\x9F\x98\x80"), 8u);
  EXPECT_EQ(invalidUtf8At("ab\xF4\x90\x80\x80"), 2u);  // past U+10FFFF
  EXPECT_EQ(invalidUtf8At("ab\x80"), 2u);
}

}  // namespace
}  // namespace comptab
