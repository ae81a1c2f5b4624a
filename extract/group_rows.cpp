#include "extract/group_rows.h"

#include <algorithm>

#include "design/app_state.h"
#include "extract/first_row_index.h"
#include "platform/support/text.h"
#include "table/record_table.h"

namespace comptab {

namespace {

// The values joined by a character no property text of a design holds.
std::string keyOf(const ComponentRecord& row, std::string_view keyName, std::span<const std::string> alsoKeys) {
  std::string key(row.text(keyName));
  for (const std::string& name : alsoKeys) {
    key += '\x1f';
    key += row.text(name);
  }
  return key;
}

}  // namespace

int referenceCountRows(AppState& app, RecordTable& table, std::optional<std::string_view> keyName,
                       std::span<const std::string> alsoKeys) {
  if (!keyName) return 0;
  const Settings& s = *app.settings;
  RecordTable grouped;
  grouped.reserve(table.count());
  FirstRowIndex groups;
  for (int i = 0; i < table.count(); ++i) {
    ComponentRecord& row = table.at(i);
    std::string key = keyOf(row, *keyName, alsoKeys);
    const int target = groups.first(key);
    if (target < 0) {
      groups.open(grouped.count(), std::move(key));
      grouped.at(grouped.count()).assign(row);
      continue;
    }
    ComponentRecord& group = grouped.at(target);
    group.merge(*keyName, row, s.emptyCell, s.token);
    row.clear();
    // A group without the key that takes in a row with an empty one now
    // shows the empty-cell text, and only rows of that text join it later.
    groups.update(target, keyOf(group, *keyName, alsoKeys), true);
  }

  const char counted = s.token.empty() ? '\0' : s.token.front();
  for (int g = 0; g < grouped.count(); ++g) {
    ComponentRecord& group = grouped.at(g);
    group.normalise(s.emptyCell, s.token, s.mergedProp);
    const std::string_view references = group.value("reference").value_or("");
    const auto others = s.token.empty() ? 0 : std::count(references.begin(), references.end(), counted);
    group.setProperty("_REFCOUNT", strprintf("%d", static_cast<int>(others) + 1));
  }
  table.replaceWith(grouped);
  return 1;
}

int partNameRows(AppState& app, RecordTable& table) { return referenceCountRows(app, table, "partName") != 0 ? 1 : 0; }

}  // namespace comptab
