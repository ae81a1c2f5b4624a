#include <gtest/gtest.h>

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
  a.gateFlag = 1;
  a.partsFlag = 1;
  ComponentRecord b = makeRow("reference=U1");
  b.powerBoxFlag = 2;
  ASSERT_TRUE(a.merge("reference", b, "-", ","));
  EXPECT_EQ(a.partsFlag, 1);
  EXPECT_EQ(a.powerBoxFlag, 2);
}

TEST(RecordMergeTest, Normalise) {
  struct Case {
    const char* row;  // one property
    const char* emptyText;
    const char* delimiter;
    const char* mixedText;
    const char* expected;
  };
  const Case cases[] = {
      {"reference=R3,R1,R3", "-", ",", "", "R1,R3"},  // repeats go, name order
      {"reference=R10,R2,R1", "-", ",", "", "R1,R2,R10"},
      {"value=10k,22k", "-", ",", "*", "*"},          // mixed values
      {"reference=R2,R1", "-", ",", "*", "R1,R2"},    // never for the references
      {"value=10k,10k", "-", ",", "*", "10k"},        // one value left is not mixed
      {"value=", "-", ",", "", "-"},
      {"value", "-", ",", "", "-"},
      {"value=10k,-,4k7", "-", ",", "", "-,4k7,10k"},  // the empty-cell text first
      // With an empty empty-cell text, an empty field survives as one
      // leading empty part: at either end or between two delimiters.
      {"value=,R1", "", ",", "", ",R1"},
      {"value=R2,R1,", "", ",", "", ",R1,R2"},
      {"value=R1,,R2", "", ",", "", ",R1,R2"},
      {"value=R1,R2", "", ",", "", "R1,R2"},
      {"value=,R1,,R1,", "-", ",", "", "R1"},  // otherwise empty fields are skipped
      // Every delimiter character splits; the whole delimiter joins; only
      // the first marks an empty field.
      {"reference=R2;R1,R3", "-", ",;", "", "R1,;R2,;R3"},
      {"reference=R2;R1", "", ",;", "", "R1,;R2"},
  };
  for (const Case& c : cases) {
    ComponentRecord row = makeRow(c.row);
    row.normalise(c.emptyText, c.delimiter, c.mixedText);
    const std::string name = row.properties().name(0);
    EXPECT_EQ(row.value(name), c.expected) << c.row << " with '" << c.emptyText << "'";
  }
}

}  // namespace
}  // namespace comptab
