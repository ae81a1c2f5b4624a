#include "extract/accept_row.h"

#include <gtest/gtest.h>

#include "design/table_pass.h"
#include "extract/test_state.h"
#include "settings/run_mode.h"
#include "table/record_table.h"

namespace comptab {
namespace {

struct Fixture {
  Fixture(const char* searchMode, std::vector<std::pair<std::string, std::string>> terms) {
    app.options.settings.searchMode = searchMode;
    for (auto& [property, value] : terms) app.options.settings.terms.push_back({property, value});
    app.options.runMode = mode::kSearch;
  }
  // Feeds a row R1 with VALUE 10k and an empty NOTE; true when it entered the table.
  bool admits() {
    ComponentRecord row;
    row.setProperty("reference", "R1");
    row.setProperty("VALUE", "10k");
    row.setProperty("NOTE", "");
    const int before = table.count();
    EXPECT_EQ(acceptRow(app.options, app.data.patterns, app.reporter, pass, row), 1);
    const bool added = table.count() == before + 1;
    if (!added) {
      EXPECT_FALSE(row.hasProperties());  // a row kept out is cleared
    }
    return added;
  }
  test::TestState app;
  RecordTable table;
  TablePass pass{.table = table};
};

// Both modes with matching terms, and search without terms, are run end
// to end.
TEST(AcceptRow, SearchModesCombineTerms) {
  struct Case {
    const char* mode;
    std::vector<std::pair<std::string, std::string>> terms;
    bool admitted;
  } cases[] = {
      {"o", {{"VALUE", "^22k$"}, {"reference", "^C"}}, false},
      {"a", {{"VALUE", "k$"}, {"reference", "^C"}}, false},
      {"a", {{"MISSING", ""}, {"NOTE", ""}}, true},  // an empty term matches absent and empty values
      {"a", {{"MISSING", "."}}, false},
      {"o", {{"VALUE", "("}}, false},     // a term that does not compile matches nothing
      {"O", {{"VALUE", "^22k$"}}, true},  // modes are case-sensitive: anything else keeps every row
      {"", {{"VALUE", "^22k$"}}, true},
  };
  for (Case& c : cases) {
    Fixture f(c.mode, c.terms);
    EXPECT_EQ(f.admits(), c.admitted) << c.mode << " " << c.terms[0].first << "~" << c.terms[0].second;
    EXPECT_EQ(f.app.reporter.exitState, 0);
  }
}

TEST(AcceptRow, WithoutSearchModeEveryRowEntersSharingItsList) {
  Fixture f("a", {{"VALUE", "^nothing$"}});
  f.app.options.runMode = 0;
  ComponentRecord row;
  row.setProperty("reference", "R1");
  EXPECT_EQ(acceptRow(f.app.options, f.app.data.patterns, f.app.reporter, f.pass, row), 1);
  ASSERT_EQ(f.table.count(), 1);
  EXPECT_TRUE(f.table[0].sharesPropertiesWith(row));
}

}  // namespace
}  // namespace comptab
