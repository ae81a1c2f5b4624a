// Property names, interned: every distinct name gets a small number once,
// so that a row stores and compares numbers instead of texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace comptab {

using NameId = uint32_t;

// The number of `name`, given it on first use. Numbers are never taken back:
// a run meets a few dozen distinct names however many rows it makes.
NameId internName(std::string_view name);
// The number of `name` if any row ever used it; no row can hold a name
// that has none, so a lookup can stop there.
std::optional<NameId> knownName(std::string_view name);
const std::string& nameText(NameId id);

}  // namespace comptab
