#include "platform/sheet/variants.h"

#include <algorithm>
#include <tuple>

#include "platform/rsc/rsc_file.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// Sets `out` from an optional text key; false with the reason when the key
// is there but is not a text.
bool optionalText(const RscFile& file, const std::string& path, const char* key, std::string& out,
                  std::string* reason) {
  const auto value = file.lookup(key);
  if (!value) return true;
  if (value->kind() != RscValue::Text) {
    *reason = strprintf("%s: %s must be a text in quotes", path.c_str(), key);
    return false;
  }
  out = *value->text();
  return true;
}

template <typename Spec>
std::unique_ptr<Spec> refuse(std::string* reason, std::string why) {
  if (reason) *reason = std::move(why);
  return nullptr;
}

}  // namespace

std::unique_ptr<VariantSysSpec> VariantSysSpec::open(const std::string& path, int /*mode*/, std::string* reason) {
  std::string parseError;
  const RscFile file = RscFile::open(path, &parseError);
  if (!parseError.empty()) return refuse<VariantSysSpec>(reason, parseError);
  auto spec = std::make_unique<VariantSysSpec>();
  const auto separator = file.lookup("separator");
  if (!separator) return refuse<VariantSysSpec>(reason, path + ": the key \"separator\" is missing");
  const std::string* text = separator->kind() == RscValue::Text ? &*separator->text() : nullptr;
  // A space or a byte of a longer UTF-8 character would cut names in
  // surprising places.
  if (!text || text->size() != 1 || (*text)[0] <= ' ' || (*text)[0] > '~')
    return refuse<VariantSysSpec>(reason,
                                  path + ": separator must be one printable ASCII character other than a space");
  spec->separator_ = (*text)[0];
  std::string why;
  if (!optionalText(file, path, "toBoardProperty", spec->toBoardProperty_, &why) ||
      !optionalText(file, path, "toBoardDefault", spec->toBoardDefault_, &why))
    return refuse<VariantSysSpec>(reason, why);
  if (spec->toBoardProperty_.empty() || spec->toBoardProperty_.find(spec->separator_) != std::string::npos)
    return refuse<VariantSysSpec>(reason, path + ": toBoardProperty must be a property name without the separator");
  return spec;
}

std::unique_ptr<VariantDataSpec> VariantDataSpec::open(const std::string& path, int /*mode*/, std::string* reason) {
  std::string parseError;
  const RscFile file = RscFile::open(path, &parseError);
  if (!parseError.empty()) return refuse<VariantDataSpec>(reason, parseError);
  const auto list = file.lookup("destinations");
  if (!list) return refuse<VariantDataSpec>(reason, path + ": the key \"destinations\" is missing");
  const RscTable* table = list->table();
  if (!table || table->columnCount() != 1)
    return refuse<VariantDataSpec>(reason, path + ": destinations must be a list of names: [\"A\", \"B\"]");
  auto spec = std::make_unique<VariantDataSpec>();
  spec->destinations_.reserve(table->rowCount());
  for (size_t row = 0; row < table->rowCount(); ++row) {
    const RscValue* cell = table->cell(row, 0);
    if (!cell || cell->kind() != RscValue::Text || cell->text()->empty())
      return refuse<VariantDataSpec>(reason,
                                     strprintf("%s: destination %zu must be a name in quotes", path.c_str(), row + 1));
    const std::string& name = *cell->text();
    if (name == kBoardDestination)
      return refuse<VariantDataSpec>(
          reason, strprintf("%s: destination %zu: %s stands for the board itself and is not a destination",
                            path.c_str(), row + 1, name.c_str()));
    spec->destinations_.emplace_back(name, row);
  }
  // Indexed only now: the names no longer move.
  for (const Destination& destination : spec->destinations_) {
    if (!spec->byName_.emplace(destination.name(), destination.index()).second)
      return refuse<VariantDataSpec>(reason, strprintf("%s: destination %zu: \"%s\" is listed twice", path.c_str(),
                                                       destination.index() + 1, destination.name().c_str()));
  }
  return spec;
}

std::unique_ptr<VariantDataSpec> VariantDataSpec::extended(const VariantDataSpec* base,
                                                           const std::vector<std::string>& more) {
  auto spec = std::make_unique<VariantDataSpec>();
  std::vector<std::string> names;
  if (base != nullptr)
    for (const Destination& destination : base->destinations_) names.push_back(destination.name());
  for (const std::string& name : more) {
    if (name.empty() || name == kBoardDestination) continue;
    bool known = false;
    for (const std::string& have : names) known = known || have == name;
    if (!known) names.push_back(name);
  }
  spec->destinations_.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) spec->destinations_.emplace_back(names[i], i);
  for (const Destination& destination : spec->destinations_)
    spec->byName_.emplace(destination.name(), destination.index());
  return spec;
}

const Destination* VariantDataSpec::lookup(std::string_view name) const {
  const auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : &destinations_[found->second];
}

VariantComponent::VariantComponent(const VariantSysSpec& sysSpec, const VariantDataSpec& dataSpec)
    : sysSpec_(sysSpec), dataSpec_(dataSpec) {}

void VariantComponent::assign(const ComponentRef& component) {
  entries_.clear();
  variantCount_ = 0;
  const char separator = sysSpec_.separator();
  for (PropertyRef property : component.properties()) {
    const std::string_view name = property.name();
    const size_t cut = name.find(separator);
    if (cut == std::string_view::npos) {
      entries_.push_back({name, -1, property.value()});
      continue;
    }
    // Variant properties of destinations that the data spec does not know
    // are someone else's business.
    const Destination* destination = dataSpec_.lookup(name.substr(cut + 1));
    if (cut == 0 || !destination) continue;
    entries_.push_back({name.substr(0, cut), static_cast<int64_t>(destination->index()), property.value()});
    ++variantCount_;
  }
  // Most components have no variant at all; their few lookups walk the
  // entries rather than pay for a sort.
  if (variantCount_ == 0) return;
  std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    return std::tie(a.base, a.destination) < std::tie(b.base, b.destination);
  });
}

bool VariantComponent::anyDestination(const ComponentRef& component) const {
  const char separator = sysSpec_.separator();
  for (PropertyRef property : component.properties()) {
    const std::string_view name = property.name();
    const size_t cut = name.find(separator);
    if (cut != std::string_view::npos && cut != 0 && dataSpec_.lookup(name.substr(cut + 1)) != nullptr) return true;
  }
  return false;
}

const VariantComponent::Entry* VariantComponent::find(std::string_view name, int64_t destination) const {
  if (variantCount_ == 0) {
    if (destination != -1) return nullptr;
    const auto at = std::find_if(entries_.begin(), entries_.end(), [name](const Entry& e) { return e.base == name; });
    return at == entries_.end() ? nullptr : &*at;
  }
  const auto at = std::lower_bound(entries_.begin(), entries_.end(), std::tie(name, destination),
                                   [](const Entry& entry, const std::tuple<std::string_view&, int64_t&>& key) {
                                     return std::tie(entry.base, entry.destination) < key;
                                   });
  if (at == entries_.end() || at->base != name || at->destination != destination) return nullptr;
  return &*at;
}

bool VariantComponent::hasDestination(const Destination* destination) const {
  if (!destination) return variantCount_ > 0;
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
    return entry.destination == static_cast<int64_t>(destination->index());
  });
}

bool VariantComponent::getProperty(std::string_view name, std::string& value, unsigned& flag,
                                   const Destination* destination) const {
  value.clear();
  flag = 0;
  const bool ours = destination && destination->index() < dataSpec_.count() &&
                    &dataSpec_.destination(destination->index()) == destination;
  if (ours) {
    if (const Entry* own = find(name, static_cast<int64_t>(destination->index()))) {
      value = own->value;
      flag = kFromDestination;
      return true;
    }
  }
  if (const Entry* base = find(name, -1)) {
    value = base->value;
    return true;
  }
  return false;
}

VariationValue VariantComponent::toBoard() const {
  const Entry* own = find(sysSpec_.toBoardProperty(), -1);
  return VariationValue(own ? std::string(own->value) : sysSpec_.toBoardDefault());
}

}  // namespace comptab
