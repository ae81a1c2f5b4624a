#include "table/component_record.h"

#include <gtest/gtest.h>

#include "platform/pattern.h"
#include "table/test_rows.h"

namespace comptab {
namespace {

using test::describe;
using test::makeRow;

TEST(ComponentRecordTest, AbsentAndEmptyValuesStayApart) {
  ComponentRecord row = makeRow("reference=R1 value= note");
  EXPECT_EQ(row.value("value"), "");
  EXPECT_FALSE(row.value("note"));
  EXPECT_FALSE(row.value("missing"));
  // Replacing keeps the property's place; a new name goes to the end.
  row.setProperty("reference", "R2");
  row.setProperty("value", std::nullopt);
  row.setProperty("note", "");
  row.setProperty("partName", "RES");
  EXPECT_EQ(describe(row), "reference=R2 value note= partName=RES");
}

TEST(ComponentRecordTest, CopiesShareTheirPropertyList) {
  ComponentRecord a = makeRow("reference=R1");
  a.strings = {"QUAD:1"};
  a.gateFlag = 1;
  ComponentRecord b;
  b.assign(a);
  b.setProperty("reference", "R9");  // replaced through one holder
  b.setProperty("value", "10k");     // appended through one holder
  EXPECT_EQ(describe(a), "reference=R9 value=10k");
  b.strings.push_back("QUAD:2");     // strings and flags are the holder's own
  b.gateFlag = 0;
  EXPECT_EQ(a.strings.size(), 1u);
  EXPECT_EQ(a.gateFlag, 1);

  // Clearing one holder empties the list for both; afterwards the cleared
  // row builds a list of its own.
  b.clear();
  EXPECT_FALSE(a.hasProperties());
  EXPECT_TRUE(b.strings.empty());
  b.setProperty("reference", "R3");
  EXPECT_FALSE(a.value("reference"));
}

TEST(ComponentRecordTest, MatchProperty) {
  const ComponentRecord row = makeRow("partName=RES_0603 value= note");
  PatternCache patterns;
  struct Case {
    const char* name;
    const char* pattern;
    bool expected;
  };
  const Case cases[] = {
      {"partName", "", false},  // an empty pattern asks for an empty value
      {"value", "", true},       {"note", "", true},
      {"missing", "", true},     // a missing property counts as empty here...
      {"missing", "x", false},   // ...and for nothing else
      {"partName", "0603", true},  // searched anywhere in the value
      {"partName", "^0603", false}, {"partName", "res", false},  // case-sensitive
      {"value", ".*", true},     {"partName", "(", false},        // a bad pattern matches nothing
  };
  for (const Case& c : cases)
    EXPECT_EQ(row.matchProperty(c.name, c.pattern, patterns), c.expected)
        << c.name << " ~ '" << c.pattern << "'";
  EXPECT_TRUE(ComponentRecord().matchProperty("partName", "", patterns));
  EXPECT_FALSE(ComponentRecord().matchProperty("partName", "R", patterns));
}

}  // namespace
}  // namespace comptab
