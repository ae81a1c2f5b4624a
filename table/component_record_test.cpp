#include "table/component_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/support/pattern.h"
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

// Values grow, shrink and move about one block of text; names are found by
// an index for the first names of the run and by a walk for the others,
// and past the index's reach in a long row.
TEST(ComponentRecordTest, LongRowsAndChangingValuesKeepEveryProperty) {
  ComponentRecord row;
  row.setProperty("reference", "R1");
  for (int i = 0; i < 300; ++i) row.setProperty("p" + std::to_string(i), std::string(i % 20, 'x'));
  row.setProperty("value", "placed after the index's reach");
  for (int i = 0; i < 300; i += 7) row.setProperty("p" + std::to_string(i), "longer than before: " + std::to_string(i));
  row.setProperty("reference", row.value("p7"));  // a value of the same row
  for (int i = 0; i < 300; ++i) {
    const std::string expected = i % 7 == 0 ? "longer than before: " + std::to_string(i) : std::string(i % 20, 'x');
    ASSERT_EQ(row.value("p" + std::to_string(i)), expected) << i;
  }
  EXPECT_EQ(row.value("reference"), "longer than before: 7");
  EXPECT_EQ(row.value("value"), "placed after the index's reach");
  EXPECT_EQ(row.properties().size(), 302u);
  EXPECT_FALSE(row.value("p300"));
}

// A short list has no index of names and is searched; a long one gets an
// index when it grows past a few names, which a row filled again and again
// keeps (emptied) for shorter lists. Each of these rows is made in one
// scratch row and copied out the way a table takes it; every name must be
// found in the copies after the scratch row has been filled again, and a
// merged value (a text of its own) must come along.
TEST(ComponentRecordTest, ShortAndLongListsFindEveryNameInCopies) {
  const int counts[] = {3, 8, 9, 40, 2, 9, 1, 0, 12};
  ComponentRecord scratch;
  std::vector<ComponentRecord> owned;
  std::vector<ComponentRecord> kept;
  for (const int count : counts) {
    scratch.restart();
    for (int i = 0; i < count; ++i) scratch.setProperty("n" + std::to_string((i * 7) % 80), "v" + std::to_string(i));
    ComponentRecord other;
    other.assignOwnCopy(scratch);
    other.setProperty("extra", "e");
    ASSERT_TRUE(scratch.merge("n0", other, "-", "|"));
    owned.emplace_back().assignOwnCopy(scratch);
    kept.emplace_back().assign(scratch);
    kept.back().keepOnly({internName("n0"), internName("n7"), internName("extra")});
  }
  for (size_t c = 0; c < std::size(counts); ++c) {
    const int count = counts[c];
    for (int i = 0; i < count; ++i)
      EXPECT_EQ(owned[c].value("n" + std::to_string((i * 7) % 80)), "v" + std::to_string(i)) << count << " " << i;
    EXPECT_FALSE(owned[c].value("missing")) << count;
    EXPECT_EQ(owned[c].value("extra"), "-|e") << count;
    EXPECT_EQ(owned[c].properties().size(), static_cast<size_t>(count) + 1) << count;
    EXPECT_EQ(kept[c].properties().size(), count == 0 ? 1u : count == 1 ? 2u : 3u) << count;
    EXPECT_EQ(kept[c].value("extra"), "-|e") << count;
    EXPECT_EQ(kept[c].value("n7"), count > 1 ? PropertyText("v1") : std::nullopt) << count;
  }
}

TEST(ComponentRecordTest, CopiesShareTheirPropertyList) {
  ComponentRecord a = makeRow("reference=R1");
  a.strings = {"QUAD:1"};
  a.flags.gate = 1;
  ComponentRecord b;
  b.assign(a);
  b.setProperty("reference", "R9");  // replaced through one holder
  b.setProperty("value", "10k");     // appended through one holder
  EXPECT_EQ(describe(a), "reference=R9 value=10k");
  b.strings.push_back("QUAD:2");     // strings and flags are the holder's own
  b.flags.gate = 0;
  EXPECT_EQ(a.strings.size(), 1u);
  EXPECT_EQ(a.flags.gate, 1);

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
