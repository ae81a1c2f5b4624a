#include "extract/group_rows.h"

#include <gtest/gtest.h>

#include <random>
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
  // Grouping by part name, by a property and with a token inside a
  // reference is run end to end.
  const Case cases[] = {
      {"rows without the key, or with it empty, make one group",
       "partName",
       {"reference=R1", "reference=R2 partName=", "reference=R3 partName=P"},
       {"reference=R1,R2 partName=- _REFCOUNT=2", "reference=R3 partName=P _REFCOUNT=1"}},
      {"a reference both rows share counts once",
       "value",
       {"reference=R1 value=10k", "reference=R1 value=10k"},
       {"reference=R1 value=10k _REFCOUNT=1"}},
      {"a row without a reference counts one",
       "value",
       {"value=10k", "value=22k reference="},
       {"value=10k _REFCOUNT=1", "value=22k reference=- _REFCOUNT=1"}},
      {"only the token's first character is counted",
       "value",
       {"reference=R1 value=1", "reference=R2 value=1"},
       {"reference=R1;R2 value=1 _REFCOUNT=2"},
       ";"},
      // A group without the key that takes in a row whose key is empty shows
      // the empty-cell text from then on: rows without the key start a group
      // of their own, and a row whose key is that text joins it.
      {"a key turned into the empty-cell text",
       "value",
       {"reference=R1", "reference=R2 value=", "reference=R3", "reference=R4 value=-"},
       {"reference=R1,R2,R4 value=- _REFCOUNT=3", "reference=R3 _REFCOUNT=1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TestState app;
    app.settings->token = c.token;
    RecordTable table;
    test::fillTable(table, c.rows);
    EXPECT_EQ(referenceCountRows(app, table, c.key), 1);
    EXPECT_EQ(rowsOf(table), c.grouped);
  }
}

TEST(GroupRows, WithoutAKeyNameNothingHappens) {
  test::TestState app;
  RecordTable table;
  test::fillTable(table, {"reference=R1 value=1", "reference=R2 value=1"});
  EXPECT_EQ(referenceCountRows(app, table, std::nullopt), 0);
  EXPECT_EQ(rowsOf(table), (Lines{"reference=R1 value=1", "reference=R2 value=1"}));
}

TEST(GroupRows, FlagsAndLabelsOfPackagedRowsSurvive) {
  test::TestState app;
  RecordTable table;
  test::fillTable(table, {"reference=U1 partName=Q", "reference=U2 partName=Q"});
  table.at(0).strings = {"G:1", "G:2"};
  table.at(1).packagedFlag = 1;
  referenceCountRows(app, table, "partName");
  ASSERT_EQ(table.count(), 1);
  EXPECT_EQ(table[0].strings, (std::vector<std::string>{"G:1", "G:2"}));
  EXPECT_EQ(table[0].packagedFlag, 1);
}

// The grouping as a plain scan: each row tried against every group so far.
Lines scan(const Lines& rows, const char* key, const Settings& s) {
  RecordTable groups;
  for (const std::string& text : rows) {
    ComponentRecord row = test::extractedRow(text);
    bool merged = false;
    for (int g = 0; g < groups.count() && !merged; ++g) merged = groups.at(g).merge(key, row, s.emptyCell, s.token);
    if (merged)
      row.clear();
    else
      groups.at(groups.count()).assign(row);
  }
  Lines out;
  for (int g = 0; g < groups.count(); ++g) {
    groups.at(g).normalise(s.emptyCell, s.token, s.mergedProp);
    out.push_back(test::describe(groups[g]));
  }
  return out;
}

TEST(GroupRows, TheIndexGroupsAsAScanDoes) {
  std::mt19937 random(7);
  const char* keys[] = {"", "k=", "k=-", "k=a", "k=b", "k=a,b"};
  const char* references[] = {"", "reference=R1", "reference=R2", "reference=R1,R3", "reference="};
  std::uniform_int_distribution<int> key(0, 5);
  std::uniform_int_distribution<int> reference(0, 4);
  for (int round = 0; round < 100; ++round) {
    test::TestState app;
    Lines rows;
    for (int i = 0; i <= round % 30; ++i) {
      std::string row = "id=" + std::to_string(i);
      for (const char* part : {keys[key(random)], references[reference(random)]})
        if (*part != '\0') row += std::string(" ") + part;
      rows.push_back(row);
    }
    RecordTable table;
    test::fillTable(table, rows);
    referenceCountRows(app, table, "k");
    Lines actual = rowsOf(table);
    // The scan knows nothing of reference counts.
    for (std::string& line : actual) line.erase(line.rfind(" _REFCOUNT="));
    ASSERT_EQ(actual, scan(rows, "k", *app.settings)) << "round " << round;
  }
}

}  // namespace
}  // namespace comptab
