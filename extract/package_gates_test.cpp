#include "extract/package_gates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "design/kcdb_cache.h"
#include "extract/test_state.h"
#include "platform/kcdb/kcdb_test_db.h"
#include "settings/run_mode.h"

namespace comptab {
namespace {

using Lines = std::vector<std::string>;

// QUAD: four gates and a power box. RES: a whole part. LDO: a whole part
// with a power box. DUAL: two gate components, one name the start of the
// other. VAL: a property table that allows two values of VALUE. ARCH lives
// in a library whose components are not installed.
const char* const kLibrarySql = R"sql(
INSERT INTO libraries VALUES (1, 'lib', 1), (2, 'archive', 0);
INSERT INTO devices VALUES (1, 'QUAD', 1), (2, 'RES', 1), (3, 'LDO', 1), (4, 'DUAL', 1), (5, 'VAL', 1),
                           (6, 'QUAD-B', 1), (7, 'ARCH', 2);
INSERT INTO device_properties VALUES
  (1, 1, 'componentName', 'QUAD'), (1, 2, 'componentName', 'PWR'), (1, 3, 'componentName', ''),
  (2, 1, 'componentName', 'RES'),
  (3, 1, 'componentName', 'LDO'), (3, 2, 'componentName', 'LDOPWR'),
  (4, 1, 'componentName', 'NAND'), (4, 2, 'componentName', 'NAND2'),
  (5, 1, 'VALUE', '10k'), (5, 2, '', 'ignored'), (5, 3, 'VALUE', '22k'), (5, 4, 'TOL', ''),
  (6, 1, 'componentName', 'QUAD');
INSERT INTO components VALUES (1, 1, 'QUAD', 3, 4), (2, 1, 'PWR', 4, 1), (3, 2, 'RES', 2, 1),
  (4, 3, 'LDO', 2, 1), (5, 3, 'LDOPWR', 4, 1), (6, 4, 'NAND', 3, 2), (7, 4, 'NAND2', 3, 2),
  (8, 6, 'QUAD', 3, 4), (9, 5, 'RES', 2, 1);
)sql";

class PackageGatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    const std::string path = dir.database("kcdb.db", std::string(kKcdbSchemaSql) + kLibrarySql);
    ASSERT_FALSE(path.empty());
    app.data.kcdbCache = KcdbCache::create(path);
    ASSERT_NE(app.data.kcdbCache, nullptr);
    app.logTo(dir.path());
  }

  // Each row as "ids labels", with "handled" for a row packaging set aside.
  Lines package(const Lines& rows, uint32_t modes = 0, int firstItem = 1) {
    test::fillTable(table, rows);
    app.options.runMode = mode::kPackage | modes;
    packageGates(app.options, app.data.kcdbCache.get(), app.reporter, table, firstItem);
    return linesOf(table);
  }
  static Lines linesOf(const RecordTable& rows) {
    Lines out;
    for (int i = 0; i < rows.count(); ++i) {
      const ComponentRecord& row = rows[i];
      std::string line(row.value("id").value_or("?"));
      for (size_t s = 0; s < row.strings.size(); ++s) line += (s == 0 ? " " : "+") + row.strings[s];
      if (row.flags.packaged) line += " handled";
      if (const PropertyText left = row.value("_NILR_")) line += " left out of " + std::string(*left);
      out.push_back(line);
    }
    return out;
  }

  ScratchDir dir;
  test::TestState app;
  RecordTable table;
};

Lines rowsOf(const RecordTable& rows) {
  Lines out;
  for (int i = 0; i < rows.count(); ++i) out.push_back(test::describe(rows[i]));
  return out;
}

std::string gate(int id, const char* reference, const char* gateNo, const std::string& more = "") {
  return "componentType=gate id=cmp" + std::to_string(id) + " reference=" + reference +
         " cdbName=QUAD componentName=QUAD partName=Q" + (gateNo ? std::string(" _GATENO=") + gateNo : "") +
         (more.empty() ? "" : " " + more);
}

std::string powerBox(int id, const char* reference, const std::string& more = "") {
  return "componentType=powerBox id=cmp" + std::to_string(id) + " reference=" + reference +
         " cdbName=QUAD componentName=PWR partName=Q _GATENO=1" + (more.empty() ? "" : " " + more);
}

std::string ldo(int id, const char* reference, const std::string& more = "") {
  return "componentType=parts id=cmp" + std::to_string(id) + " reference=" + reference +
         " cdbName=LDO componentName=LDO partName=L _GATENO=1" + (more.empty() ? "" : " " + more);
}

TEST_F(PackageGatesTest, RowsAndTheirWarnings) {
  struct Case {
    const char* what;
    Lines rows;
    Lines table;
    Lines warnings;
  };
  const std::string quadAsPart = "cdbName=QUAD partName=Q componentName=QUAD";
  const Case cases[] = {
      {"other types and rows without a reference pass through",
       {"componentType=connector id=cmp1 reference=U1", gate(2, "U1", "1"), "componentType=gate id=cmp3",
        "componentType=gate id=cmp4 reference=", "componentType=Gate id=cmp5 reference=U1"},
       {"cmp1 handled", "cmp2 QUAD:1", "cmp3 handled", "cmp4 handled", "cmp5 handled"},
       {}},
      {"part name or device differs",
       {gate(1, "U1", "1"), gate(2, "U1", "2", "partName=OTHER"), gate(3, "U1", "3", "cdbName=QUAD-B")},
       {"cmp1 QUAD:1", "cmp2 handled", "cmp3 handled"},
       {"38674: U1 (cmp2), U1, ", "38674: U1 (cmp3), U1, "}},
      {"a gate does not join a whole part, nor a part another",
       {ldo(1, "U1", quadAsPart), gate(2, "U1", "2"), ldo(3, "U1", quadAsPart + " _GATENO=2")},
       {"cmp1 QUAD:1", "cmp2 handled", "cmp3 handled"},
       {"38674: U1 (cmp2), U1, ", "38674: U1 (cmp3), U1, "}},
      {"nor a whole part a gate",
       {gate(1, "U1", "1"), ldo(2, "U1", quadAsPart + " _GATENO=2")},
       {"cmp1 QUAD:1", "cmp2 handled"},
       {"38674: U1 (cmp2), U1, "}},
      {"the packaged gates stay gates for a whole part that follows",
       {powerBox(1, "U1"), gate(2, "U1", "1"), ldo(3, "U1", quadAsPart + " _GATENO=2")},
       {"cmp1,cmp2 PWR:1+QUAD:1", "cmp3 handled"},
       {"38674: U1 (cmp3), U1, "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    app.logTo(dir.path());  // a fresh error file
    EXPECT_EQ(package(c.rows), c.table);
    EXPECT_EQ(app.messages(), c.warnings);
  }
}

// A gate already in the package is refused, whether its labels are few
// enough to be searched in place or so many that they are kept in a set.
TEST_F(PackageGatesTest, TheSameGateTwiceIsRefusedAtAnyPackageSize) {
  for (const int gates : {4, 16, 17, 18, 30}) {
    SCOPED_TRACE(gates);
    app.logTo(dir.path());
    Lines rows;
    std::string ids;
    std::string labels;
    for (int g = 1; g <= gates; ++g) {
      rows.push_back(gate(g, "U1", std::to_string(g).c_str()));
      ids += (g == 1 ? "cmp" : ",cmp") + std::to_string(g);
      labels += (g == 1 ? "QUAD:" : "+QUAD:") + std::to_string(g);
    }
    const std::string repeated = std::to_string(gates - 1);
    rows.push_back(gate(gates + 1, "U1", repeated.c_str()));
    const std::string last = "cmp" + std::to_string(gates + 1);
    EXPECT_EQ(package(rows), (Lines{ids + " " + labels, last + " handled"}));
    EXPECT_EQ(app.messages(), Lines{"38674: U1 (" + last + "), U1, "});
  }
}

TEST_F(PackageGatesTest, UnpackableRowsRememberTheirReference) {
  package({gate(1, "U1", "0"), gate(2, "U2", "1", "cdbName=NONE"), "componentType=connector id=cmp3 reference=U3"});
  EXPECT_EQ(table[0].value("_NILR_"), "U1");
  EXPECT_EQ(table[1].value("_NILR_"), "U2");
  EXPECT_EQ(table[2].value("_NILR_"), std::nullopt);
}

TEST_F(PackageGatesTest, AnEmptyDestinationMergedIntoNoneIsNoLongerTheSame) {
  // The first package has no "_DEST"; merging a row with an empty one gives
  // it the empty-cell text, which rows without "_DEST" no longer match,
  // while a row whose "_DEST" is that text does.
  EXPECT_EQ(
      package({gate(1, "U1", "1"), gate(2, "U1", "2", "_DEST="), gate(3, "U1", "3"), gate(4, "U1", "4", "_DEST=-")}),
      (Lines{"cmp1,cmp2,cmp4 QUAD:1+QUAD:2+QUAD:4", "cmp3 QUAD:3"}));
}

// A table after the first packages only its destination's rows and takes
// the other packages from the first table; it must read as a table packaged
// whole, warnings included, and no table's rows may change on the way.
TEST_F(PackageGatesTest, LaterTablesAsIfPackagedWhole) {
  const auto tableOf = [](RecordTable& rows, const Lines& shared, const Lines& ofDestination) {
    test::fillTable(rows, shared);
    for (const std::string& text : ofDestination) {
      ComponentRecord row = test::extractedRow(text);
      row.perDestination = true;
      rows.at(rows.count()).assign(row);
    }
    for (int r = 0; r < rows.count(); ++r) rows.at(r).sequence = static_cast<uint32_t>(r);
  };
  const Lines shared = {gate(1, "U1", "1"), gate(2, "U1", "2"), gate(3, "U2", "0"), powerBox(4, "U1"),
                        gate(5, "U4", "1", "cdbName=NONE")};
  struct Case {
    const char* what;
    Lines shared;
    Lines first;
    Lines later;
  };
  const Case cases[] = {
      {"destination rows of their own", shared, {gate(6, "U3", "1", "_DEST=LITE")},
       {gate(6, "U3", "1", "_DEST=PRO"), gate(7, "U3", "1", "_DEST=PRO"), gate(8, "U1", "3", "_DEST=PRO")}},
      // A row without a destination but with a "_DEST" of its own could
      // join either kind: every table is packaged whole.
      {"a shared row naming a destination", {gate(1, "U1", "1"), gate(2, "U1", "2", "_DEST=PRO")},
       {gate(3, "U1", "3", "_DEST=LITE")}, {gate(3, "U1", "3", "_DEST=PRO")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    app.options.runMode = mode::kPackage | mode::kCheckOpenGate;
    PackagedRows packages;
    RecordTable first;
    RecordTable packed;
    tableOf(first, c.shared, c.first);
    packages.package(app.options, app.data.kcdbCache.get(), app.reporter, first, packed, 1);
    packed.setCount(0);

    RecordTable later;
    tableOf(later, c.shared, c.later);
    const Lines before = rowsOf(later);
    app.logTo(dir.path());
    packages.package(app.options, app.data.kcdbCache.get(), app.reporter, later, packed, 0);
    const Lines reused = linesOf(packed);
    const Lines reusedWarnings = app.messages();
    packed.setCount(0);
    EXPECT_EQ(rowsOf(later), before);
    EXPECT_EQ(rowsOf(first).size(), c.shared.size() + c.first.size());

    app.logTo(dir.path());
    PackagedRows().package(app.options, app.data.kcdbCache.get(), app.reporter, later, packed, 0);
    EXPECT_EQ(reused, linesOf(packed));
    EXPECT_EQ(reusedWarnings, app.messages());
    EXPECT_FALSE(reusedWarnings.empty());
  }
}

TEST_F(PackageGatesTest, PropertyCheck) {
  struct Case {
    const char* row;
    Lines warnings;
  } cases[] = {
      {"VALUE=10k", {}},  // an absent TOL is the empty value the table allows
      {"TOL=5%", {"38673: R1 (cmp1), VALUE, ", "38673: R1 (cmp1), VALUE, ", "38673: R1 (cmp1), TOL, "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    app.logTo(dir.path());
    const std::string row = "componentType=parts id=cmp1 reference=R1 cdbName=VAL componentName=RES _GATENO=1 ";
    EXPECT_EQ(package({row + c.row}, mode::kCheckKcdbProp), Lines{"cmp1 RES:1"});
    EXPECT_EQ(app.messages(), c.warnings);
  }
  // Without the mode nothing is checked.
  app.logTo(dir.path());
  package({"componentType=parts id=cmp1 reference=R1 cdbName=VAL componentName=RES _GATENO=1 VALUE=1"});
  EXPECT_TRUE(app.messages().empty());
}

TEST_F(PackageGatesTest, OpenGateCheck) {
  struct Case {
    const char* what;
    Lines rows;
    Lines warnings;
    int firstItem = 1;
  };
  const Case cases[] = {
      {"a whole part checks only its power boxes",
       {ldo(1, "U1"), ldo(2, "U2"), ldo(3, "U2", "componentName=LDOPWR componentType=powerBox"),
        ldo(4, "U3", "_HASPOWER=YES")},
       {"38677: , U1, LDOPWR, "}},
      {"labels count for the component of exactly their name",
       {"componentType=gate id=cmp1 reference=U1 cdbName=DUAL componentName=NAND2 _GATENO=1",
        "componentType=gate id=cmp2 reference=U1 cdbName=DUAL componentName=NAND2 _GATENO=2"},
       {"38676: , U1, NAND, "}},
      {"virtual packages and handled rows are not checked",
       {gate(1, "U1", nullptr, "isvGate=YES"), "componentType=connector id=cmp2 reference=U2 cdbName=QUAD"},
       {}},
      {"later items check packages of a destination only",
       {gate(1, "U1", "1"), gate(2, "U2", "1", "_DEST=A")},
       {"38676: , U2, QUAD,  (Destination:A)", "38677: , U2, PWR,  (Destination:A)"},
       0},
      // The rows left out of packaging (here without a gate number) are
      // named again only for a package that is complete: an open gate
      // explains them already.
      {"a complete package names the rows kept out of it",
       {powerBox(1, "U1"), gate(2, "U1", "1"), gate(3, "U1", "2"), gate(4, "U1", "3"), gate(5, "U1", "4"),
        gate(6, "U1", "0")},
       {"38675: U1 (cmp6), ", "38674: U1 (cmp6), U1, "}},
      {"a package with an open gate does not",
       {gate(1, "U1", "1"), gate(2, "U1", "0")},
       {"38675: U1 (cmp2), ", "38676: , U1, QUAD, ", "38677: , U1, PWR, "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    app.logTo(dir.path());
    package(c.rows, mode::kCheckOpenGate, c.firstItem);
    EXPECT_EQ(app.messages(), c.warnings);
  }
}

}  // namespace
}  // namespace comptab
