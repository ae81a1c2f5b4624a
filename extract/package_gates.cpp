#include "extract/package_gates.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "design/app_state.h"
#include "design/kcdb_cache.h"
#include "settings/message_codes.h"
#include "extract/first_row_index.h"
#include "extract/package_checks.h"
#include "extract/package_report.h"
#include "platform/sheet/comp_type.h"
#include "settings/run_mode.h"
#include "table/record_table.h"

namespace comptab {

namespace {

struct Names {
  NameId reference = internName("reference");
  NameId dest = internName("_DEST");
  NameId componentType = internName("componentType");
};

const Names& names() {
  static const Names interned;
  return interned;
}

// Rows join a package of the same reference and destination (an absent
// destination is an empty one).
struct PackageKey {
  std::string_view reference;
  std::string_view destination;

  explicit PackageKey(const ComponentRecord& row)
      : reference(row.value(names().reference).value_or("")), destination(row.value(names().dest).value_or("")) {}
  uint64_t hash() const { return KeyHash().add(reference).add(destination).value(); }
  bool operator==(const PackageKey&) const = default;
};

bool hasPower(const ComponentRecord& row) { return !isEmptyValue(row.value("_HASPOWER")); }

enum class Join { Labelled, Unlabelled, Refused };

// Whether `row` may join the package `head` heads. The flags, not the
// "componentType" text, say what the package holds: merging joins the
// texts of its symbols ("gate,powerBox") but keeps every flag set.
Join joinOutcome(const ComponentRecord& head, const ComponentRecord& row, const std::string& label,
                 const std::unordered_set<std::string>* manyLabels) {
  if (!sameValue(head.value("cdbName"), row.value("cdbName")) ||
      !sameValue(head.value("partName"), row.value("partName")))
    return Join::Refused;
  if (head.virtualGateFlag != 0 && row.virtualGateFlag != 0) return Join::Unlabelled;
  if ((head.gateFlag != 0 && row.partsFlag != 0) || (head.partsFlag != 0 && (row.gateFlag != 0 || row.partsFlag != 0)))
    return Join::Refused;
  // A whole-part symbol with power pins of its own has no power box.
  if (hasPower(head) || hasPower(row)) return Join::Refused;
  // The same gate twice.
  if (manyLabels != nullptr ? manyLabels->contains(label)
                            : std::find(head.strings.begin(), head.strings.end(), label) != head.strings.end())
    return Join::Refused;
  return Join::Labelled;
}

class Packager {
 public:
  Packager(AppState& app, int firstItem, int rows)
      : app_(app), kcdb_(*app.kcdbCache), settings_(*app.settings), firstItem_(firstItem) {
    packed_.reserve(rows);
  }

  void take(ComponentRecord& row);
  void finish(RecordTable& table);
  const DestinationWords& words() const { return words_; }

 private:
  void append(ComponentRecord& row) { packed_.at(packed_.count()).assign(row); }
  void appendHandled(ComponentRecord& row) {
    row.packagedFlag = 1;
    append(row);
  }
  // A row that the KCDB or its gate number keeps out of every package;
  // "_NILR_" lets the open-gate check name it again.
  void appendUnpackable(ComponentRecord& row, int code, const RowReport& report, const std::string& reference) {
    if (report.on) app_.writeWarning(code, {componentInWarning(row), report.destinationText});
    row.setProperty("_NILR_", reference);
    appendHandled(row);
  }
  void openPackage(ComponentRecord& row, std::string label);

  AppState& app_;
  KcdbCache& kcdb_;
  const Settings& settings_;
  const int firstItem_;
  const DestinationWords words_;
  DevicePropertyCheck propertyCheck_;
  RecordTable packed_;
  // The packages in packed_ that rows may still join; a package's labels
  // are in its strings, and a set of them as well once there are many.
  FirstRowIndex packages_;
  std::unordered_map<int, std::unordered_set<std::string>> manyLabels_;
};

// Beyond this many gates a package's labels are looked up in a set: a
// reference drawn with thousands of gates must not be searched row by row.
constexpr size_t kLabelsSearchedInPlace = 16;

void Packager::take(ComponentRecord& row) {
  const std::string_view type = row.value(names().componentType).value_or("");
  if (!CompType::isGate(type) && !CompType::isParts(type) && !CompType::isPowerBox(type)) return appendHandled(row);
  const std::string reference = row.text("reference");
  if (reference.empty()) return appendHandled(row);

  const RowReport report = rowReport(row, firstItem_, words_);
  const KcdbDevice* device = kcdb_.device(row.value("cdbName").value_or(""));
  if (device == nullptr) return appendUnpackable(row, msg::kKcdbEntryMissing, report, reference);
  const std::string componentName = row.text("componentName");
  // A virtual gate stands for no symbol of the library.
  if (kcdb_.component(device, componentName) == nullptr && row.virtualGateFlag == 0)
    return appendUnpackable(row, msg::kKcdbEntryMissing, report, reference);
  if (app_.RunMode & mode::kCheckKcdbProp) propertyCheck_.check(app_, row, *device, report);

  std::string label;
  if (row.virtualGateFlag == 0) {
    const PropertyText gate = row.value("_GATENO");
    if (isEmptyValue(gate) || *gate == "0") return appendUnpackable(row, msg::kGateNumberMissing, report, reference);
    label = componentName + ":" + std::string(*gate);
  }

  const PackageKey key(row);
  const int head =
      packages_.first(key.hash(), [&](int package) { return PackageKey(packed_[package]) == key; });
  if (head < 0) return openPackage(row, std::move(label));
  ComponentRecord& package = packed_.at(head);
  const auto many = manyLabels_.find(head);
  std::unordered_set<std::string>* headLabels = many != manyLabels_.end() ? &many->second : nullptr;
  const Join join = joinOutcome(package, row, label, headLabels);
  if (join == Join::Refused) {
    if (report.on) app_.writeWarning(msg::kPackageConflict, {componentInWarning(row), reference, report.destinationText});
    return appendHandled(row);
  }
  const bool hadDestination = package.properties().find(names().dest) != PropertyList::npos;
  package.merge("reference", row, settings_.emptyCell, settings_.token);
  if (join == Join::Labelled) {
    if (headLabels != nullptr) {
      headLabels->insert(label);
    } else if (package.strings.size() + 1 > kLabelsSearchedInPlace) {
      headLabels = &manyLabels_[head];
      headLabels->insert(package.strings.begin(), package.strings.end());
      headLabels->insert(label);
    }
    package.strings.push_back(std::move(label));
  }
  row.clear();
  // Merging may give the package a destination text it lacked (an absent
  // "_DEST" meeting an empty one): later rows must see it as it is now.
  if (package.packagedFlag != 0)
    packages_.close(head);
  else if (!hadDestination && package.properties().find(names().dest) != PropertyList::npos)
    packages_.open(head, PackageKey(package).hash());
}

void Packager::openPackage(ComponentRecord& row, std::string label) {
  const int head = packed_.count();
  row.strings.push_back(std::move(label));
  packages_.open(head, PackageKey(row).hash());
  append(row);
}

void Packager::finish(RecordTable& table) {
  for (int i = 0; i < packed_.count(); ++i)
    packed_.at(i).normalise(settings_.emptyCell, settings_.token, settings_.mergedProp);
  table.replaceWith(packed_);
}

}  // namespace

void packageGates(AppState& app, RecordTable& table, int firstItem) {
  if (!app.kcdbCache) return;
  Packager packager(app, firstItem, table.count());
  for (int i = 0; i < table.count(); ++i) packager.take(table.at(i));
  packager.finish(table);
  if (app.RunMode & mode::kCheckOpenGate) checkOpenGates(app, table, firstItem, packager.words());
}

}  // namespace comptab
