#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "table/component_record.h"
#include "table/test_rows.h"

namespace comptab {
namespace {

using test::describe;
using test::makeRow;

TEST(RecordMergeTest, Merge) {
  struct Case {
    const char* a;
    const char* b;
    const char* emptyText;
    bool merged;
    const char* expected;  // row A afterwards
  };
  const Case cases[] = {
      // An empty or missing side is written as the empty-cell text.
      {"reference=R1 P=", "reference=R1 P=10k", "-", true, "reference=R1 P=-,10k"},
      {"reference=R1 P=10k", "reference=R1 P=22k", "-", true, "reference=R1 P=10k,22k"},
      {"reference=R1 P=10k", "reference=R1 P=10k", "-", true, "reference=R1 P=10k"},
      {"reference=R1 P", "reference=R1 P=10k", "", true, "reference=R1 P=,10k"},
      // Absent and empty are the same, for the key and for the values.
      {"P", "reference= P=", "-", true, "P reference=-"},
      // Properties only B has are appended after A's, in B's order.
      {"reference=R1", "Q=22k reference=R1 S=", "-", true, "reference=R1 Q=-,22k S=-"},
      // Keys that differ: nothing happens.
      {"reference=R1 P=1", "reference=R2 P=2 Q=3", "-", false, "reference=R1 P=1"},
      {"", "", "-", true, ""},
      {"", "P=2", "-", true, "P=-,2"},
  };
  for (const Case& c : cases) {
    ComponentRecord a = makeRow(c.a);
    const ComponentRecord b = makeRow(c.b);
    EXPECT_EQ(a.merge("reference", b, c.emptyText, ","), c.merged) << c.a << " + " << c.b;
    EXPECT_EQ(describe(a), c.expected) << c.a << " + " << c.b;
    EXPECT_EQ(describe(b), c.b);
  }
}

TEST(RecordMergeTest, RepeatedMergesGrowTheSameValue) {
  ComponentRecord group = makeRow("reference=R1 P=10k");
  for (const char* text : {"reference=R1 P=22k", "reference=R1 P=10k,22k", "reference=R1 P=10k", "reference=R1"})
    ASSERT_TRUE(group.merge("reference", makeRow(text), "-", ","));
  // The third row equals the value built so far, so it adds nothing.
  EXPECT_EQ(describe(group), "reference=R1 P=10k,22k,10k,-");
}

TEST(RecordMergeTest, NonZeroFlagsOfTheOtherRowWin) {
  ComponentRecord a = makeRow("reference=U1");
  a.flags.gate = 1;
  a.flags.parts = 1;
  ComponentRecord b = makeRow("reference=U1");
  b.flags.powerBox = 2;
  ASSERT_TRUE(a.merge("reference", b, "-", ","));
  EXPECT_EQ(a.flags.parts, 1);
  EXPECT_EQ(a.flags.powerBox, 2);
}

// A row whose property P is `parts` merged one row after another, as
// grouping builds it; a null part is a row whose P has no value.
ComponentRecord mergedRow(std::initializer_list<const char*> parts, std::string_view emptyText,
                          std::string_view delimiter) {
  ComponentRecord group;
  bool first = true;
  for (const char* part : parts) {
    ComponentRecord row;
    row.setProperty("key", "k");
    row.setProperty("P", part != nullptr ? PropertyText(part) : std::nullopt);
    if (first)
      group = row;
    else
      group.merge("key", row, emptyText, delimiter);
    first = false;
  }
  return group;
}

TEST(RecordMergeTest, Normalise) {
  struct Case {
    std::initializer_list<const char*> parts;
    const char* emptyText;
    const char* mixedText;
    const char* expected;
  };
  const Case cases[] = {
      {{"R3", "R1", "R3"}, "-", "", "R1,R3"},  // repeats go, name order
      {{"R10", "R2", "R1"}, "-", "", "R1,R2,R10"},
      {{"10k", "22k"}, "-", "*", "*"},  // mixed values
      {{"10k", "22k", "10k"}, "-", "", "10k,22k"},
      {{""}, "-", "", "-"},
      {{nullptr}, "-", "", "-"},
      {{"10k", nullptr, "4k7"}, "-", "", "-,4k7,10k"},  // the empty-cell text first
      {{"", "R1"}, "", "", ",R1"},  // an empty part survives once, first
      {{"R2", "R1", ""}, "", "", ",R1,R2"},
      // A delimiter inside a value is text, not a join: alone, in a group
      // of three alike, and among other values.
      {{"Cap, ceramic 10µF"}, "-", "*", "Cap, ceramic 10µF"},
      {{",x,"}, "", "", ",x,"},
      {{"Cap, ceramic 10µF", "Cap, ceramic 10µF", "Cap, ceramic 10µF"}, "-", "*", "Cap, ceramic 10µF"},
      {{"Res, thin", "Cap, ceramic", "Res, thin"}, "-", "", "Cap, ceramic,Res, thin"},
      {{"R2,R3", "R1"}, "-", "", "R1,R2,R3"},
  };
  for (const Case& c : cases) {
    ComponentRecord row = mergedRow(c.parts, c.emptyText, ",");
    row.normalise(c.emptyText, ",", c.mixedText);
    EXPECT_EQ(row.value("P"), c.expected) << *c.parts.begin() << " with '" << c.emptyText << "'";
  }
}

// Many parts (a group of a big table) drop their repeats another way than
// a few do; the value must read the same.
TEST(RecordMergeTest, ManyPartsTidyAsFewDo) {
  std::vector<std::string> texts;
  for (int i = 0; i < 300; ++i) texts.push_back("R" + std::to_string((i * 7919) % 60));
  texts.push_back("");
  texts.push_back("r5");
  std::vector<std::string_view> many(texts.begin(), texts.end());
  tidyParts(many, "reference", "-", "");
  std::vector<std::string_view> few;
  for (const std::string_view part : many) few.push_back(part);
  std::reverse(few.begin(), few.end());
  tidyParts(few, "reference", "-", "");
  EXPECT_EQ(many, few);
  ASSERT_EQ(many.size(), 62u);
  EXPECT_EQ(many[0], "");
  EXPECT_EQ(many[1], "R0");
  EXPECT_EQ(many[6], "R5");
  EXPECT_EQ(many[7], "r5");
  EXPECT_EQ(many.back(), "R59");
  std::vector<std::string_view> mixed(texts.begin(), texts.end());
  tidyParts(mixed, "value", "-", "*");
  EXPECT_EQ(mixed, std::vector<std::string_view>{"*"});
}

// The empty-cell text of each call comes first, whatever an earlier call
// with another empty-cell text left behind.
TEST(RecordMergeTest, TheEmptyCellTextOfEachCallComesFirst) {
  struct Case {
    const char* emptyText;
    std::vector<std::string_view> expected;
  };
  const Case cases[] = {
      {"n/a", {"n/a", "-", "a", "b"}},
      {"-", {"-", "a", "b", "n/a"}},
      {"b", {"b", "-", "a", "n/a"}},
      {"n/a", {"n/a", "-", "a", "b"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string_view> parts{"b", "n/a", "a", "-", "b"};
    tidyParts(parts, "value", c.emptyText, "");
    EXPECT_EQ(parts, c.expected) << c.emptyText;
  }
}

// Joining the parts a value splits into gives the value back, the joins
// where they were.
TEST(RecordMergeTest, JoinPartsUndoesSplitAtJoins) {
  const std::vector<std::vector<std::string_view>> cases = {{"a"}, {"", ""}, {"R1", "", "R3, x"}};
  for (const std::vector<std::string_view>& parts : cases) {
    std::string joined;
    std::vector<uint32_t> joins{7};
    joinParts(parts, ", ", joined, joins);
    std::vector<std::string_view> split;
    splitAtJoins(joined, joins, 2, split);
    EXPECT_EQ(split, parts) << joined;
  }
}

// Groups of groups (part names, then a property) split at the joins of
// both steps, also after the row dropped the properties nobody reads.
TEST(RecordMergeTest, JoinsSurviveNormaliseAndLaterMerges) {
  ComponentRecord first = mergedRow({"U2, A", "U1"}, "-", ",");
  first.normalise("-", ",", "");
  ASSERT_EQ(first.value("P"), "U1,U2, A");
  first.keepOnly({internName("key"), internName("P")});
  ComponentRecord second = mergedRow({"U3"}, "-", ",");
  ASSERT_TRUE(second.merge("key", first, "-", ","));
  second.normalise("-", ",", "");
  EXPECT_EQ(second.value("P"), "U1,U2, A,U3");
  // Set anew, a value is one part again.
  second.setProperty("P", "b,a");
  second.normalise("-", ",", "");
  EXPECT_EQ(second.value("P"), "b,a");
}

}  // namespace
}  // namespace comptab
