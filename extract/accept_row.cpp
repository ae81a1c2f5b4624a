#include "extract/accept_row.h"

#include <algorithm>

#include "design/reporter.h"
#include "design/run_options.h"
#include "design/table_pass.h"
#include "platform/support/pattern.h"
#include "settings/message_codes.h"
#include "settings/run_mode.h"
#include "table/record_table.h"

namespace comptab {

namespace {

// "o": any term; "a": every term; anything else keeps the row untested.
bool passes(const Settings& s, PatternCache& patterns, const ComponentRecord& row) {
  const bool any = s.searchMode == "o";
  if (!any && s.searchMode != "a") return true;
  for (const SearchTerm& term : s.terms) {
    const bool match = row.matchProperty(term.property, term.expression, patterns);
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

int acceptRow(const RunOptions& options, PatternCache& patterns, Reporter& reporter, TablePass& pass,
              ComponentRecord& row) {
  if (options.runMode & mode::kSearch) {
    if (options.settings.terms.empty()) {
      row.clear();
      reporter.reportError(ReportKind::General, "", 1, msg::kNoSearchTerms);
      return 0;
    }
    if (!passes(options.settings, patterns, row)) {
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
