// Folding the rows of a table into one row per value of a property, each
// with the number of references it stands for ("_REFCOUNT"): one row per
// part name in the pnpackage mode, and one per value of the package
// property when one is named.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "table/property_name.h"

namespace comptab {

class RecordTable;
struct Settings;

// What rows fold by: rows fold when their values of `keyName` are the same
// (an absent value and an empty one are the same key) and, with `alsoKeys`,
// their values of those properties as well. With `kept`, a folded row holds
// only the properties named there, as if the rows had held no others.
struct GroupKeys {
  std::string_view keyName;
  std::span<const std::string> alsoKeys = {};
  const std::vector<NameId>* kept = nullptr;
  // Key properties whose values fold by what they mean (valueMeaning):
  // 10K and 10000 are one key, and the folded row shows the first spelling.
  std::span<const std::string> byMeaning = {};
};

// Appends to `grouped` one row per key value of `rows`, in the order the
// values first occur; the later rows of a value are merged into the first,
// with the settings' empty cell, token and merged-property text.
// Every row takes part, packaged gates included. `rows` stay as they are,
// so that a later table can use them again.
void groupRowsInto(const Settings& settings, const RecordTable& rows, RecordTable& grouped, const GroupKeys& keys);

// groupRowsInto in place: the table's rows are replaced by the grouped
// ones. Returns 1, or 0 without touching the table when no key name is
// given.
int referenceCountRows(const Settings& settings, RecordTable& table, std::optional<std::string_view> keyName,
                       std::span<const std::string> alsoKeys = {});

// referenceCountRows by "partName"; 1 when that returned non-zero.
int partNameRows(const Settings& settings, RecordTable& table);

}  // namespace comptab
