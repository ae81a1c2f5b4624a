#include "extract/group_rows.h"

#include <gtest/gtest.h>

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

// With further keys, rows fold only when those agree too; an absent and
// an empty value are one key, as for the first.
TEST(GroupRows, FurtherKeysSplitGroups) {
  test::TestState app;
  RecordTable table;
  test::fillTable(table, {"reference=R1 value=10k fp=0603", "reference=R2 value=10k fp=0805",
                          "reference=R3 value=10k fp=0603", "reference=R4 value=10k", "reference=R5 value=10k fp="});
  const std::vector<std::string> also = {"fp"};
  EXPECT_EQ(referenceCountRows(app, table, "value", also), 1);
  EXPECT_EQ(rowsOf(table), (Lines{"reference=R1,R3 value=10k fp=0603 _REFCOUNT=2",
                                  "reference=R2 value=10k fp=0805 _REFCOUNT=1",
                                  "reference=R4,R5 value=10k fp=- _REFCOUNT=2"}));
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

}  // namespace
}  // namespace comptab
