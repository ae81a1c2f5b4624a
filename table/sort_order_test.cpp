#include "table/sort_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "platform/support/name_order.h"
#include "table/record_table.h"
#include "table/value_order.h"
#include "table/test_rows.h"

namespace comptab {
namespace {

// Each row is given the id of its place before sorting.
void fill(RecordTable& table, const std::vector<std::string>& rows) {
  for (const std::string& text : rows) {
    const ComponentRecord row = test::makeRow("id=" + std::to_string(table.count()) + " " + text);
    table.at(table.count()).assign(row);
  }
}

std::string ids(const RecordTable& table) {
  std::string text;
  for (int i = 0; i < table.count(); ++i) text += table[i].value("id").value_or("?");
  return text;
}

TEST(SortOrder, LaterKeysAreMoreSignificant) {
  struct Case {
    std::vector<std::string> keys;
    std::vector<std::string> rows;
    const char* expectedIds;
  };
  const Case cases[] = {
      {{"P", "Q"}, {"P=2 Q=B", "P=1 Q=B", "P=3 Q=A", "P=1 Q=A"}, "3210"},  // Q, then P
      // A row without the key comes first; an empty value is a value.
      {{"Q"}, {"Q=A", "Q=", "P=1", "Q"}, "2310"},
      {{"P", "Q"}, {"P=2", "P=1", "Q=A P=9"}, "102"},  // both lack Q: P decides
      {{"reference"}, {"reference=R10", "reference=R2", "reference=C1"}, "210"},
      {{"P", "Q"}, {"Q=A P=1", "Q=A P=1", "Q=A", "Q=A P=1"}, "2013"},  // equal rows keep order
      // An empty key name makes no pass of its own.
      {{"", "Q"}, {"Q=B", "Q=A", "Q=A"}, "120"},
  };
  for (const Case& c : cases) {
    RecordTable table;
    fill(table, c.rows);
    sortTableByKeys(table, c.keys);
    EXPECT_EQ(ids(table), c.expectedIds);
  }
}

TEST(SortOrder, DescendingAndValueKeys) {
  struct Case {
    SortKeyOrder order;
    std::vector<std::string> rows;
    const char* expectedIds;
  };
  const std::vector<std::string> values = {"V=10k", "V=4k7", "V=", "P=1", "V=22k", "V=100n", "V=LM358", "V=1u"};
  const Case cases[] = {
      {{}, values, "32710456"},               // natural: none, empty, 1u, 4k7, 10k, 22k, 100n, LM358
      {{{"V"}, {}}, values, "65401723"},      // the reverse, a row without V last
      {{{}, {"V"}}, values, "35710426"},      // by magnitude, then texts that are not values
      {{{"V"}, {"V"}}, values, "62401753"},
      {{{"P"}, {}}, {"P=1 V=b", "P=2 V=a", "P=1 V=a"}, "120"},  // V first, then P downwards
  };
  for (const Case& c : cases) {
    RecordTable table;
    fill(table, c.rows);
    sortTableByKeys(table, {"P", "V"}, c.order);
    EXPECT_EQ(ids(table), c.expectedIds) << c.order.descending.size() << c.order.byValue.size();
  }
}

TEST(SortOrder, ManyEqualRowsKeepTheirOrder) {
  // Enough rows that an unstable sort would move equal ones about.
  std::vector<std::string> rows;
  const char* values[] = {"value=22k", "value=10k", "", "value=4k7", "value="};
  for (int i = 0; i < 200; ++i) rows.push_back(values[i % 5]);
  RecordTable table;
  fill(table, rows);
  sortTableByKeys(table, {"value"});
  std::string expected;
  for (int first : {2, 4, 3, 1, 0})  // none, empty, 4k7, 10k, 22k
    for (int i = first; i < 200; i += 5) expected += std::to_string(i);
  EXPECT_EQ(ids(table), expected);
}

// Pass k of what the key order means: rows by the keys from k down to the
// first, the first key on which they differ deciding, a row without the key
// before a row with it; a descending key turned round.
void sortPass(RecordTable& table, const std::vector<std::string>& keys, int k, const SortKeyOrder& keyOrder) {
  const auto listed = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  std::vector<int> order(static_cast<size_t>(table.count()));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    for (int j = k; j >= 0; --j) {
      const PropertyText va = table[a].value(keys[j]);
      const PropertyText vb = table[b].value(keys[j]);
      const bool down = listed(keyOrder.descending, keys[j]);
      if (va && vb) {
        const int c = listed(keyOrder.byValue, keys[j]) ? compareElectrical(*va, *vb) : compareNames(*va, *vb);
        if (c != 0) return down ? c > 0 : c < 0;
      } else if (va || vb) {
        return down ? !vb : !va;
      }
    }
    return false;
  });
  table.reorder(std::move(order));
}

// The table is sorted in one go; it must come out as the pass-by-pass
// sort, which is what the key order means.
TEST(SortOrder, OneSortMatchesEveryPass) {
  const char* values[] = {"", "=", "=R1", "=R2", "=R10", "=r1", "=C3", "=4k7", "=4.7k", "=100n"};
  std::vector<std::string> rows;
  unsigned seed = 7;
  for (int i = 0; i < 400; ++i) {
    std::string row;
    for (const char* name : {"P", "Q", "R"}) {
      seed = seed * 1103515245u + 12345u;
      const char* value = values[(seed >> 16) % std::size(values)];
      if (*value != '\0') row += std::string(row.empty() ? "" : " ") + name + value;
    }
    rows.push_back(row);
  }
  for (const std::vector<std::string>& keys :
       {std::vector<std::string>{"P", "Q", "R"}, {"R", "", "P"}, {"Q", ""}, {"", "", "Q", "P"}}) {
    RecordTable once;
    RecordTable passes;
    fill(once, rows);
    fill(passes, rows);
    // Every other set of keys turns P round and orders R by value.
    const SortKeyOrder keyOrder = keys.size() % 2 == 1 ? SortKeyOrder{{"P"}, {"R"}} : SortKeyOrder{};
    sortTableByKeys(once, keys, keyOrder);
    for (size_t k = 0; k < keys.size(); ++k)
      if (!keys[k].empty()) sortPass(passes, keys, static_cast<int>(k), keyOrder);
    EXPECT_EQ(ids(once), ids(passes)) << keys.size() << " keys";
  }
}

// A later table keeps most rows of the one before: the rows it drops go,
// its new rows are merged in, and the table must stand as a full sort of
// the same rows (kept ones first, as the run appends) would leave it.
TEST(SortOrder, MergedRowsStandAsAFullSort) {
  const char* values[] = {"", "=", "=R1", "=R01", "=r1", "=R10", "=4k7", "=4.7k"};
  unsigned seed = 11;
  const auto nextRow = [&](int sequence) {
    std::string row = "id=" + std::to_string(sequence);
    for (const char* name : {"P", "Q"}) {
      seed = seed * 1103515245u + 12345u;
      const char* value = values[(seed >> 16) % std::size(values)];
      if (*value != '\0') row += std::string(" ") + name + value;
    }
    ComponentRecord record = test::makeRow(row);
    // A few rows share a walk sequence, as a component's rows for
    // several destinations do.
    record.sequence = static_cast<uint32_t>(sequence / 3);
    return record;
  };
  for (const SortKeyOrder& keyOrder : {SortKeyOrder{}, SortKeyOrder{{"Q"}, {"P"}}}) {
    TableOrder order({"P", "Q"}, keyOrder);
    RecordTable merged;
    int sequence = 0;
    for (int i = 0; i < 60; ++i) merged.at(merged.count()).assign(nextRow(sequence++));
    order.sort(merged);
    for (int round = 0; round < 3; ++round) {
      order.drop(merged, [&](const ComponentRecord& row) { return row.value("id")->back() == '0' + round; });
      const int kept = merged.count();
      RecordTable whole;
      whole.assign(merged);
      for (int i = 0; i < 25; ++i) {
        const ComponentRecord row = nextRow(sequence++);
        merged.at(merged.count()).assign(row);
        whole.at(whole.count()).assign(row);
      }
      order.merge(merged, kept);
      sortTableByKeys(whole, {"P", "Q"}, keyOrder);
      std::string mergedIds;
      std::string wholeIds;
      for (int r = 0; r < merged.count(); ++r) mergedIds += std::string(*merged[r].value("id")) + ",";
      for (int r = 0; r < whole.count(); ++r) wholeIds += std::string(*whole[r].value("id")) + ",";
      ASSERT_EQ(mergedIds, wholeIds) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace comptab
