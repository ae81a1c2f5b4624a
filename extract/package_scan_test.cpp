// Packaging finds a row's package through an index. Here the same rows go
// through a plain scan of the packaged rows, row after row, as the packaging
// rules state it; both must agree on every table.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "design/kcdb_cache.h"
#include "extract/package_gates.h"
#include "extract/test_state.h"
#include "platform/kcdb_test_db.h"
#include "settings/run_mode.h"

namespace comptab {
namespace {

using Lines = std::vector<std::string>;

const char* const kLibrarySql = R"sql(
INSERT INTO libraries VALUES (1, 'lib', 1);
INSERT INTO devices VALUES (1, 'D1', 1), (2, 'D2', 1);
INSERT INTO components VALUES (1, 1, 'G', 3, 4), (2, 1, 'B', 4, 1), (3, 1, 'P', 2, 1),
                              (4, 2, 'G', 3, 4), (5, 2, 'B', 4, 1), (6, 2, 'P', 2, 1);
)sql";

std::string summary(const ComponentRecord& row) {
  std::string line = test::describe(row);
  for (const std::string& label : row.strings) line += " [" + label + "]";
  if (row.packagedFlag) line += " handled";
  return line;
}

// Every row has its device, component and gate number, so only the search
// and the joining rules decide.
Lines scan(const Lines& rows, const Settings& s, int& refused) {
  RecordTable out;
  refused = 0;
  for (const std::string& text : rows) {
    ComponentRecord row = test::extractedRow(text);
    const std::string_view reference = row.value("reference").value_or("");
    if (reference.empty()) {
      row.packagedFlag = 1;
      out.at(out.count()).assign(row);
      continue;
    }
    const std::string label =
        row.virtualGateFlag ? "" : std::string(*row.value("componentName")) + ":" + std::string(*row.value("_GATENO"));
    int head = -1;
    for (int j = 0; j < out.count() && head < 0; ++j) {
      const ComponentRecord& h = out[j];
      if (h.packagedFlag == 0 && sameValue(h.value("reference"), row.value("reference")) &&
          sameValue(h.value("_DEST"), row.value("_DEST")))
        head = j;
    }
    if (head < 0) {
      row.strings.push_back(label);
      out.at(out.count()).assign(row);
      continue;
    }
    ComponentRecord& h = out.at(head);
    bool conflict =
        !sameValue(h.value("cdbName"), row.value("cdbName")) || !sameValue(h.value("partName"), row.value("partName"));
    if (!conflict && h.virtualGateFlag && row.virtualGateFlag) {
      h.merge("reference", row, s.emptyCell, s.token);
      row.clear();
      continue;
    }
    conflict = conflict || (h.gateFlag && row.partsFlag) || (h.partsFlag && (row.gateFlag || row.partsFlag)) ||
               !isEmptyValue(h.value("_HASPOWER")) || !isEmptyValue(row.value("_HASPOWER")) ||
               std::find(h.strings.begin(), h.strings.end(), label) != h.strings.end();
    if (conflict) {
      ++refused;
      row.packagedFlag = 1;
      out.at(out.count()).assign(row);
      continue;
    }
    h.merge("reference", row, s.emptyCell, s.token);
    h.strings.push_back(label);
    row.clear();
  }
  Lines result;
  for (int i = 0; i < out.count(); ++i) {
    out.at(i).normalise(s.emptyCell, s.token, s.mergedProp);
    result.push_back(summary(out[i]));
  }
  return result;
}

std::string randomRow(std::mt19937& random, int id) {
  auto pick = [&random](std::initializer_list<const char*> choices) {
    std::uniform_int_distribution<size_t> d(0, choices.size() - 1);
    return std::string(choices.begin()[d(random)]);
  };
  const std::string type = pick({"gate", "gate", "gate", "powerBox", "parts"});
  const std::string component = type == "gate" ? "G" : type == "powerBox" ? "B" : "P";
  std::string row = "componentType=" + type + " id=cmp" + std::to_string(id) + " componentName=" + component +
                    " cdbName=" + pick({"D1", "D1", "D1", "D1", "D2"}) +
                    " partName=" + pick({"Q", "Q", "Q", "Q", "R"}) + " _GATENO=" + pick({"1", "2", "3"}) +
                    pick({" reference=U1", " reference=U1", " reference=U2", ""}) +
                    pick({"", "", " _DEST=A", " _DEST=", " _DEST=-"}) + pick({"", "", "", "", " isvGate=YES"}) +
                    pick({"", "", "", "", " _HASPOWER=YES"}) + pick({"", " note=x", " note="});
  return row;
}

TEST(PackageScan, TheIndexFindsThePackagesAScanFinds) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string path = dir.database("kcdb.db", std::string(kKcdbSchemaSql) + kLibrarySql);
  ASSERT_FALSE(path.empty());
  std::mt19937 random(20240607);
  for (int round = 0; round < 300; ++round) {
    test::TestState app;
    app.kcdbCache = KcdbCache::create(path);
    ASSERT_NE(app.kcdbCache, nullptr);
    app.logTo(dir.path() + "/round" + std::to_string(round));
    app.RunMode = mode::kPackage;
    Lines rows;
    const int count = 1 + round % 40;
    for (int i = 0; i < count; ++i) rows.push_back(randomRow(random, i + 1));

    int refused = 0;
    const Lines expected = scan(rows, *app.settings, refused);
    RecordTable table;
    test::fillTable(table, rows);
    ASSERT_EQ(packageGates(app, table, 1), 1);
    Lines actual;
    for (int i = 0; i < table.count(); ++i) actual.push_back(summary(table[i]));
    ASSERT_EQ(actual, expected) << "round " << round;
    EXPECT_EQ(app.messages().size(), static_cast<size_t>(refused)) << "round " << round;
  }
}

}  // namespace
}  // namespace comptab
