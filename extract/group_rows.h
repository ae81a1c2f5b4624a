// Folding the rows of a table into one row per value of a property, each
// with the number of references it stands for ("_REFCOUNT"): one row per
// part name in the pnpackage mode, and one per value of the package
// property when one is named.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace comptab {

class AppState;
class RecordTable;

// Replaces the table's rows by one row per value of `keyName` (an absent
// value and an empty one are the same key), in the order the values first
// occur; the later rows of a value are merged into the first. Every row
// takes part, packaged gates included. Returns 1, or 0 without touching
// the table when no key name is given. With `alsoKeys`, rows fold only
// when their values of those properties are the same as well.
int referenceCountRows(AppState& app, RecordTable& table, std::optional<std::string_view> keyName,
                       std::span<const std::string> alsoKeys = {});

// referenceCountRows by "partName"; 1 when that returned non-zero.
int partNameRows(AppState& app, RecordTable& table);

}  // namespace comptab
