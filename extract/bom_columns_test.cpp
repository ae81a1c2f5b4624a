#include "extract/bom_columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extract/group_rows.h"
#include "extract/test_state.h"

namespace comptab {
namespace {

// The references of one group, folded as grouping folds them, then written
// as ranges.
std::string rangesOf(const std::vector<std::string>& references, const char* rangeChar = "-") {
  const Settings settings = test::foldingSettings();
  RecordTable table;
  std::vector<std::string> rows;
  for (const std::string& reference : references) rows.push_back("reference=" + reference + " value=1");
  test::fillTable(table, rows);
  referenceCountRows(settings, table, "value");
  writeReferenceRanges(table, ",", rangeChar);
  return std::string(table[0].value("reference").value_or("(none)"));
}

TEST(BomColumns, ReferenceRanges) {
  struct Case {
    std::vector<std::string> references;
    const char* expected;
  };
  const Case cases[] = {
      {{"R5", "R2", "R3", "R1"}, "R1-R3,R5"},
      {{"R1", "R2"}, "R1,R2"},  // a range needs three
      {{"R1", "R2", "R3", "R4", "R5", "R7", "R8", "R9"}, "R1-R5,R7-R9"},
      {{"R9", "R10", "R8", "C2", "C1", "C3"}, "C1-C3,R8-R10"},  // natural order, header by header
      {{"R1", "R2", "R2", "R3"}, "R1-R3"},                      // a repeat counts once
      {{"R01", "R02", "R03"}, "R01,R02,R03"},                   // a leading zero is not a plain number
      {{"U1A", "U1B", "U1C"}, "U1A,U1B,U1C"},
      {{"R1", "r2", "R3"}, "R1,r2,R3"},  // headers must match exactly
      {{"R1,R2", "R3", "R4"}, "R1,R2,R3,R4"},  // one reference holding the token stays one part
      {{"1", "2", "3"}, "1-3"},
      {{"R1"}, "R1"},
  };
  for (const Case& c : cases) EXPECT_EQ(rangesOf(c.references), c.expected) << c.references.front();
  EXPECT_EQ(rangesOf({"R1", "R2", "R3"}, ".."), "R1..R3");
}

TEST(BomColumns, BuildQuantityAndCountsOfRanges) {
  const Settings settings = test::foldingSettings();
  RecordTable table;
  test::fillTable(table, {"reference=R1 value=1", "reference=R2 value=1", "reference=R3 value=1", "reference=R9 value=2"});
  referenceCountRows(settings, table, "value");
  writeReferenceRanges(table, ",", "-");
  setBuildQuantity(table, 25, true);
  // The count is of references, not of ranges.
  EXPECT_EQ(test::describe(table[0]), "reference=R1-R3 value=1 _REFCOUNT=3 _QTY=75");
  EXPECT_EQ(test::describe(table[1]), "reference=R9 value=2 _REFCOUNT=1 _QTY=25");

  RecordTable plain;
  test::fillTable(plain, {"reference=C1", "reference=C2 _REFCOUNT=1000"});
  setBuildQuantity(plain, 4, false);
  EXPECT_EQ(test::describe(plain[0]), "reference=C1 _QTY=4");
  // A design's own property of that name is no count of folded references.
  EXPECT_EQ(test::describe(plain[1]), "reference=C2 _REFCOUNT=1000 _QTY=4");
}

}  // namespace
}  // namespace comptab
