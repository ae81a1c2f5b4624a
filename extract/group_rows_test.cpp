#include "extract/group_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "extract/test_state.h"

namespace comptab {
namespace {

using Lines = std::vector<std::string>;

Lines rowsOf(const RecordTable& table) {
  Lines out;
  for (int i = 0; i < table.count(); ++i) out.push_back(test::describe(table[i]));
  return out;
}

TEST(GroupRows, OneRowPerKeyValueWithItsReferenceCount) {
  struct Case {
    const char* what;
    const char* key;
    Lines rows;
    Lines grouped;
    const char* token = ",";
  };
  // Grouping by part name (rows without one make one group), by a property
  // and with a token inside a reference is run end to end.
  const Case cases[] = {
      {"a reference both rows share counts once", "value", {"reference=R1 value=10k", "reference=R1 value=10k"},
       {"reference=R1 value=10k _REFCOUNT=1"}},
      {"a row without a reference counts one", "value", {"value=10k", "value=22k reference="},
       {"value=10k _REFCOUNT=1", "value=22k reference=- _REFCOUNT=1"}},
      {"only the token's first character is counted", "value", {"reference=R1 value=1", "reference=R2 value=1"},
       {"reference=R1;R2 value=1 _REFCOUNT=2"}, ";"},
      // A group without the key that takes in a row whose key is empty shows
      // the empty-cell text from then on: rows without the key start a group
      // of their own, and a row whose key is that text joins it.
      {"a key turned into the empty-cell text", "value",
       {"reference=R1", "reference=R2 value=", "reference=R3", "reference=R4 value=-"},
       {"reference=R1,R2,R4 value=- _REFCOUNT=3", "reference=R3 _REFCOUNT=1"}},
      // Merging compares a row's value with the value joined so far: a
      // value that holds the token and reads as that joined text adds
      // nothing, though as one part it would have been a part of its own.
      {"a value equal to the joined text so far", "value",
       {"reference=R1 value=1 P=a", "reference=R2 value=1 P=b", "reference=R3 value=1 P=a,b",
        "reference=R4 value=1 P=a,b"},
       {"reference=R1,R2,R3,R4 value=1 P=a,b _REFCOUNT=4"}},
      {"and one that does not", "value",
       {"reference=R1 value=1 P=a", "reference=R2 value=1 P=b", "reference=R3 value=1 P=b,a"},
       {"reference=R1,R2,R3 value=1 P=a,b,b,a _REFCOUNT=3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings settings = test::foldingSettings();
    settings.token = c.token;
    RecordTable table;
    test::fillTable(table, c.rows);
    EXPECT_EQ(referenceCountRows(settings, table, c.key), 1);
    EXPECT_EQ(rowsOf(table), c.grouped);
  }
}

TEST(GroupRows, FlagsAndLabelsOfPackagedRowsSurvive) {
  Settings settings = test::foldingSettings();
  RecordTable table;
  test::fillTable(table, {"reference=U1 partName=Q", "reference=U2 partName=Q"});
  table.at(0).strings = {"G:1", "G:2"};
  table.at(1).flags.packaged = 1;
  referenceCountRows(settings, table, "partName");
  ASSERT_EQ(table.count(), 1);
  EXPECT_EQ(table[0].strings, (std::vector<std::string>{"G:1", "G:2"}));
  EXPECT_EQ(table[0].flags.packaged, 1);
}

// Rows fold only when every key property is equal, and values that would
// run together ("ab" + "c", "a" + "bc") stay apart; an absent and an empty
// value are one key, for the further properties as for the first.
TEST(GroupRows, SeveralKeyPropertiesNeverRunTogether) {
  Settings settings = test::foldingSettings();
  RecordTable table;
  test::fillTable(table, {"reference=X1 value=ab fp=c", "reference=X2 value=a fp=bc", "reference=R1 value=10k fp=0603",
                          "reference=R2 value=10k fp=0805", "reference=R3 value=10k", "reference=R4 value=10k fp="});
  const std::vector<std::string> also = {"fp"};
  EXPECT_EQ(referenceCountRows(settings, table, "value", also), 1);
  EXPECT_EQ(rowsOf(table), (Lines{"reference=X1 value=ab fp=c _REFCOUNT=1", "reference=X2 value=a fp=bc _REFCOUNT=1",
                                  "reference=R1 value=10k fp=0603 _REFCOUNT=1", "reference=R2 value=10k fp=0805 _REFCOUNT=1",
                                  "reference=R3,R4 value=10k fp=- _REFCOUNT=2"}));
}

// Grouping as merging row by row into the first row of each key would do
// it, with the rows' values built from texts that hold the delimiter, the
// empty-cell text, empty and absent values and names without a value.
// Grouping keeps a group's values as parts instead; the tables must come
// out the same, also when the grouped rows are grouped again.
TEST(GroupRows, AsMergingRowByRowWould) {
  const char* const values[] = {nullptr, "", "-", "a", "b", "a,b", "b,a", "a,b,a", "b,a,b", "~"};
  const char* const keys[] = {nullptr, "", "-", "x", "y"};
  const char* const references[] = {"R1", "R2", "R10", "R1,R2", "", nullptr, "r1"};
  uint32_t seed = 12345;
  const auto pick = [&](size_t n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<size_t>((seed >> 16) % n);
  };
  for (const char* mixed : {"", "*"}) {
    SCOPED_TRACE(std::string("mixed text '") + mixed + "'");
    Settings settings = test::foldingSettings();
    settings.mergedProp = mixed;
    RecordTable rows;
    for (int r = 0; r < 400; ++r) {
      ComponentRecord row;
      const auto set = [&](const char* name, const char* text) {
        if (text == nullptr) {
          if (pick(3) == 0) row.setProperty(name, std::nullopt);  // a name without a value
        } else if (std::string_view(text) == "~") {
          row.setProperty(name, std::nullopt);
        } else {
          row.setProperty(name, text);
        }
      };
      // Rows of one test differ in the order of their names too.
      if (pick(2) == 0) set("Q", values[pick(std::size(values))]);
      set("reference", references[pick(std::size(references))]);
      set("value", keys[pick(std::size(keys))]);
      set("P", values[pick(std::size(values))]);
      if (pick(2) == 0) set("Q", values[pick(std::size(values))]);
      row.flags.gate = pick(5) == 0 ? 1 : 0;
      rows.at(rows.count()).assign(row);
    }
    const Lines before = rowsOf(rows);

    // Merging row by row, as the rows of a table once were folded.
    const auto byMerging = [&](const RecordTable& table, const char* key, RecordTable& out) {
      std::vector<ComponentRecord> groups;
      for (int r = 0; r < table.count(); ++r) {
        ComponentRecord copy = table[r];
        copy.ownProperties();
        bool merged = false;
        for (ComponentRecord& group : groups)
          if ((merged = group.merge(key, copy, "-", ","))) break;
        if (!merged) groups.push_back(copy);
      }
      for (ComponentRecord& group : groups) {
        group.normalise("-", ",", settings.mergedProp);
        const std::string joined(group.value("reference").value_or(""));
        group.setProperty("_REFCOUNT", std::to_string(std::count(joined.begin(), joined.end(), ',') + 1));
        out.at(out.count()).assign(group);
      }
    };
    RecordTable expected;
    byMerging(rows, "value", expected);
    RecordTable grouped;
    groupRowsInto(settings, rows, grouped, GroupKeys{.keyName = "value"});
    EXPECT_EQ(rowsOf(grouped), rowsOf(expected));
    EXPECT_EQ(rowsOf(rows), before);  // the rows serve the next table
    for (int g = 0; g < std::min(grouped.count(), expected.count()); ++g)
      EXPECT_EQ(grouped[g].flags.gate, expected[g].flags.gate);

    RecordTable again;
    groupRowsInto(settings, grouped, again, GroupKeys{.keyName = "P"});
    RecordTable expectedAgain;
    byMerging(expected, "P", expectedAgain);
    EXPECT_EQ(rowsOf(again), rowsOf(expectedAgain));
  }
}

// Only the properties named to be kept reach the grouped rows; a row
// without them groups as a row without the property would.
TEST(GroupRows, KeptPropertiesOnly) {
  Settings settings = test::foldingSettings();
  RecordTable rows;
  test::fillTable(rows, {"reference=R1 value=1 note=a", "reference=R2 value=1 note=b", "reference=R3 value=2 note="});
  const std::vector<NameId> kept = {internName("reference"), internName("value")};
  RecordTable grouped;
  groupRowsInto(settings, rows, grouped, GroupKeys{.keyName = "value", .kept = &kept});
  EXPECT_EQ(rowsOf(grouped), (Lines{"reference=R1,R2 value=1 _REFCOUNT=2", "reference=R3 value=2 _REFCOUNT=1"}));
}

}  // namespace
}  // namespace comptab
