#include "extract/accept_row.h"

#include <algorithm>

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
  for (const SearchTerm& term : s.terms) {
    const bool match = row.matchProperty(term.property, term.expression, app.patterns());
    if (any && match) return true;
    if (!any && !match) return false;
  }
  return !any;
}

// A row extraction made with only the kept names needs no sorting out.
bool holdsOnly(const ComponentRecord& row, const std::vector<NameId>& kept) {
  const PropertyList& list = row.properties();
  for (size_t i = 0; i < list.size(); ++i)
    if (std::find(kept.begin(), kept.end(), list.nameId(i)) == kept.end()) return false;
  return true;
}

}  // namespace

int acceptRow(AppState& app, TablePass& pass, ComponentRecord& row) {
  if (app.RunMode & mode::kSearch) {
    if (app.settings->terms.empty()) {
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
  ComponentRecord& added = pass.table.at(pass.table.count());
  // The table's row takes a list of its own, so that `row` can be filled
  // again in its room.
  if (pass.keptProperties != nullptr && holdsOnly(row, *pass.keptProperties)) {
    added.assignOwnCopy(row);
  } else if (pass.keptProperties != nullptr) {
    added.assign(row);
    added.keepOnly(*pass.keptProperties);
  } else {
    row.compact();
    added.assign(row);
  }
  return 1;
}

}  // namespace comptab
