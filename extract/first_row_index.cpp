#include "extract/first_row_index.h"

#include <algorithm>

namespace comptab {

int FirstRowIndex::first(std::string_view key) const {
  const auto found = rowsByKey_.find(key);
  return found == rowsByKey_.end() || found->second.empty() ? -1 : found->second.front();
}

void FirstRowIndex::open(int row, std::string key) {
  std::vector<int>& rows = rowsByKey_[key];
  // Rows are opened in table order, so this is an append but for rows
  // that move to a key other rows already hold.
  rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
  keyOfRow_[row] = std::move(key);
}

void FirstRowIndex::update(int row, std::string key, bool stillOpen) {
  const auto held = keyOfRow_.find(row);
  if (held != keyOfRow_.end()) {
    if (stillOpen && held->second == key) return;
    remove(row, held->second);
    keyOfRow_.erase(held);
  }
  if (stillOpen) open(row, std::move(key));
}

void FirstRowIndex::remove(int row, const std::string& key) {
  const auto found = rowsByKey_.find(key);
  if (found == rowsByKey_.end()) return;
  std::vector<int>& rows = found->second;
  const auto at = std::lower_bound(rows.begin(), rows.end(), row);
  if (at != rows.end() && *at == row) rows.erase(at);
  if (rows.empty()) rowsByKey_.erase(found);
}

}  // namespace comptab
