#include "extract/accept_row.h"

#include "design/app_state.h"
#include "settings/message_codes.h"
#include "settings/run_mode.h"
#include "table/record_table.h"

namespace comptab {

namespace {

// "o": any term; "a": every term; anything else keeps the row untested.
bool passes(AppState& app, const ComponentRecord& row) {
  const Settings& s = *app.settings;
  const bool any = s.searchMode == "o";
  if (!any && s.searchMode != "a") return true;
  for (size_t i = 0; i < s.termProperty.size(); ++i) {
    const bool match = row.matchProperty(s.termProperty[i], s.termValue[i], app.patterns());
    if (any && match) return true;
    if (!any && !match) return false;
  }
  return !any;
}

}  // namespace

int acceptRow(AppState& app, TablePass& pass, ComponentRecord& row) {
  if (app.RunMode & mode::kSearch) {
    if (app.settings->termProperty.empty()) {
      row.clear();
      app.reportError(ReportKind::General, "", 1, msg::kNoSearchTerms);
      return 0;
    }
    if (!passes(app, row)) {
      row.clear();
      return 1;
    }
  }
  row.sequence = pass.walkSequence;
  if (pass.keptProperties != nullptr)
    row.keepOnly(*pass.keptProperties);
  else
    row.compact();
  pass.table.at(pass.table.count()).assign(row);
  return 1;
}

}  // namespace comptab
