#include "table/property_name.h"

#include <deque>
#include <unordered_map>

namespace comptab {

namespace {

struct NameTable {
  // A deque keeps each text in place, so the map's views stay valid.
  std::deque<std::string> texts;
  std::unordered_map<std::string_view, NameId> ids;
};

NameTable& names() {
  static NameTable table;
  return table;
}

}  // namespace

NameId internName(std::string_view name) {
  NameTable& table = names();
  if (const auto found = table.ids.find(name); found != table.ids.end()) return found->second;
  const auto id = static_cast<NameId>(table.texts.size());
  table.ids.emplace(table.texts.emplace_back(name), id);
  return id;
}

std::optional<NameId> knownName(std::string_view name) {
  const NameTable& table = names();
  if (const auto found = table.ids.find(name); found != table.ids.end()) return found->second;
  return std::nullopt;
}

const std::string& nameText(NameId id) { return names().texts[id]; }

}  // namespace comptab
