#include "extract/package_gates.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "design/kcdb_cache.h"
#include "design/reporter.h"
#include "design/run_options.h"
#include "extract/first_row_index.h"
#include "extract/package_checks.h"
#include "extract/package_report.h"
#include "extract/row_names.h"
#include "platform/sheet/comp_type.h"
#include "settings/message_codes.h"
#include "settings/run_mode.h"
#include "table/record_table.h"

namespace comptab {

namespace {

// Rows join a package of the same reference and destination (an absent
// destination is an empty one).
struct PackageKey {
  std::string_view reference;
  std::string_view destination;

  explicit PackageKey(const ComponentRecord& row)
      : reference(row.value(rowNames().reference).value_or("")),
        destination(row.value(rowNames().destination).value_or("")) {}
  uint64_t hash() const { return KeyHash().add(reference).add(destination).value(); }
  bool operator==(const PackageKey&) const = default;
};

bool hasPower(const ComponentRecord& row) { return !isEmptyValue(row.value(rowNames().hasPower)); }

enum class Join { Labelled, Unlabelled, Refused };

// Whether `row` may join the package `head` heads. The flags, not the
// "componentType" text, say what the package holds: merging joins the
// texts of its symbols ("gate,powerBox") but keeps every flag set.
Join joinOutcome(const ComponentRecord& head, const ComponentRecord& row, const std::string& label,
                 const std::unordered_set<std::string>* manyLabels) {
  const RowNames& n = rowNames();
  if (!sameValue(head.value(n.cdbName), row.value(n.cdbName)) || !sameValue(head.value(n.partName), row.value(n.partName)))
    return Join::Refused;
  if (head.flags.virtualGate != 0 && row.flags.virtualGate != 0) return Join::Unlabelled;
  if ((head.flags.gate != 0 && row.flags.parts != 0) ||
      (head.flags.parts != 0 && (row.flags.gate != 0 || row.flags.parts != 0)))
    return Join::Refused;
  // A whole-part symbol with power pins of its own has no power box.
  if (hasPower(head) || hasPower(row)) return Join::Refused;
  // The same gate twice.
  if (manyLabels != nullptr ? manyLabels->contains(label)
                            : std::find(head.strings.begin(), head.strings.end(), label) != head.strings.end())
    return Join::Refused;
  return Join::Labelled;
}

// Packages rows into `packed` without changing them: a row keeps its list
// for as long as nothing is merged into it or set on it, and a package or
// an unpackable row gets a list of its own first. The rows of a table then
// serve the next table unchanged.
class Packager {
 public:
  Packager(const RunOptions& options, KcdbCache& kcdb, Reporter& reporter, int firstItem, RecordTable& packed)
      : kcdb_(kcdb),
        reporter_(reporter),
        settings_(options.settings),
        checkProperties_((options.runMode & mode::kCheckKcdbProp) != 0),
        firstItem_(firstItem),
        packed_(packed) {}

  // Returns the position in `packed` of the row that stands for `row`, or
  // -1 when `row` was merged into a package.
  int take(const ComponentRecord& row);
  // Tidies the rows that take() put in `packed`.
  void finish();
  const DestinationWords& words() const { return words_; }

 private:
  int append(const ComponentRecord& row) {
    const int at = packed_.count();
    packed_.at(at).assign(row);
    made_.push_back(at);
    return at;
  }
  int appendHandled(const ComponentRecord& row) {
    const int at = append(row);
    packed_.at(at).flags.packaged = 1;
    return at;
  }
  // A row that the KCDB or its gate number keeps out of every package;
  // "_NILR_" lets the open-gate check name it again.
  int appendUnpackable(const ComponentRecord& row, int code, const RowReport& report, const std::string& reference) {
    if (report.on) reporter_.writeWarning(code, {componentInWarning(row), report.destinationText});
    const int at = appendHandled(row);
    packed_.at(at).ownProperties();
    packed_.at(at).setProperty(rowNames().leftOut, reference);
    return at;
  }
  int openPackage(const ComponentRecord& row, std::string label);

  KcdbCache& kcdb_;
  Reporter& reporter_;
  const Settings& settings_;
  const bool checkProperties_;  // chkkcdbprop
  const int firstItem_;
  const DestinationWords words_;
  DevicePropertyCheck propertyCheck_;
  RecordTable& packed_;
  std::vector<int> made_;
  // The packages in packed_ that rows may still join; a package's labels
  // are in its strings, and a set of them as well once there are many.
  FirstRowIndex packages_;
  std::unordered_map<int, std::unordered_set<std::string>> manyLabels_;
};

// Beyond this many gates a package's labels are looked up in a set: a
// reference drawn with thousands of gates must not be searched row by row.
constexpr size_t kLabelsSearchedInPlace = 16;

int Packager::take(const ComponentRecord& row) {
  const std::string_view type = row.value(rowNames().componentType).value_or("");
  if (!CompType::isGate(type) && !CompType::isParts(type) && !CompType::isPowerBox(type)) return appendHandled(row);
  const std::string reference(row.value(rowNames().reference).value_or(""));
  if (reference.empty()) return appendHandled(row);

  const RowReport report = rowReport(row, firstItem_, words_);
  const KcdbDevice* device = kcdb_.device(row.value(rowNames().cdbName).value_or(""));
  if (device == nullptr) return appendUnpackable(row, msg::kKcdbEntryMissing, report, reference);
  const std::string componentName(row.value(rowNames().componentName).value_or(""));
  // A virtual gate stands for no symbol of the library.
  if (kcdb_.component(device, componentName) == nullptr && row.flags.virtualGate == 0)
    return appendUnpackable(row, msg::kKcdbEntryMissing, report, reference);
  if (checkProperties_) propertyCheck_.check(reporter_, row, *device, report);

  std::string label;
  if (row.flags.virtualGate == 0) {
    const PropertyText gate = row.value(rowNames().gateNumber);
    if (isEmptyValue(gate) || *gate == "0") return appendUnpackable(row, msg::kGateNumberMissing, report, reference);
    label = componentName + ":" + std::string(*gate);
  }

  const PackageKey key(row);
  const int head = packages_.first(key.hash(), [&](int package) { return PackageKey(packed_[package]) == key; });
  if (head < 0) return openPackage(row, std::move(label));
  ComponentRecord& package = packed_.at(head);
  const auto many = manyLabels_.find(head);
  std::unordered_set<std::string>* headLabels = many != manyLabels_.end() ? &many->second : nullptr;
  const Join join = joinOutcome(package, row, label, headLabels);
  if (join == Join::Refused) {
    if (report.on)
      reporter_.writeWarning(msg::kPackageConflict, {componentInWarning(row), reference, report.destinationText});
    return appendHandled(row);
  }
  const bool hadDestination = package.properties().find(rowNames().destination) != PropertyList::npos;
  package.ownProperties();
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
  // Merging may give the package a destination text it lacked (an absent
  // "_DEST" meeting an empty one): later rows must see it as it is now.
  if (package.flags.packaged != 0)
    packages_.close(head);
  else if (!hadDestination && package.properties().find(rowNames().destination) != PropertyList::npos)
    packages_.open(head, PackageKey(package).hash());
  return -1;
}

int Packager::openPackage(const ComponentRecord& row, std::string label) {
  const int head = append(row);
  packed_.at(head).strings.push_back(std::move(label));
  packages_.open(head, PackageKey(row).hash());
  return head;
}

// Only a value that is empty or was merged changes when tidied; a row with
// neither keeps the list it shares with the table it came from.
bool changedByNormalise(const ComponentRecord& row) {
  const PropertyList& list = row.properties();
  for (size_t i = 0; i < list.size(); ++i)
    if (isEmptyValue(list.text(i)) || !list.joins(i).empty()) return true;
  return false;
}

void Packager::finish() {
  for (const int at : made_) {
    ComponentRecord& row = packed_.at(at);
    if (!changedByNormalise(row)) continue;
    row.ownProperties();
    row.normalise(settings_.emptyCell, settings_.token, settings_.mergedProp);
  }
}

// Rows made without a destination are the same in every table, and so are
// their packages: a destination's row has its "_DEST" and only joins rows
// of that destination. That holds when no row without a destination has a
// "_DEST" of its own and every destination's row names one.
bool sharedRowsStandApart(const RecordTable& rows) {
  for (int r = 0; r < rows.count(); ++r) {
    const ComponentRecord& row = rows[r];
    const size_t at = row.properties().find(rowNames().destination);
    if (row.perDestination ? (at == PropertyList::npos || isEmptyValue(row.properties().text(at)))
                           : at != PropertyList::npos)
      return false;
  }
  return true;
}

}  // namespace

void PackagedRows::package(const RunOptions& options, KcdbCache* kcdb, Reporter& reporter, const RecordTable& rows,
                           RecordTable& packed, int firstItem) {
  if (kcdb == nullptr) {
    packed.assign(rows);
    return;
  }
  Packager packager(options, *kcdb, reporter, firstItem, packed);
  packed.reserve(rows.count());
  const bool reuse = filled_ && firstItem == 0 && sharedRowsKnown(rows) && sharedRowsStandApart(rows);
  const bool fill = !filled_ && firstItem != 0 && sharedRowsStandApart(rows);
  std::vector<int> at(fill ? static_cast<size_t>(rows.count()) : 0);
  for (int r = 0; r < rows.count(); ++r) {
    const ComponentRecord& row = rows[r];
    if (reuse && !row.perDestination) {
      // Rows of other destinations never report on later tables, and these
      // rows' packages are as the first table made them.
      const int kept = bySequence_[row.sequence];
      if (kept >= 0) packed.at(packed.count()).assign(kept_[kept]);
      continue;
    }
    const int made = packager.take(row);
    if (fill) at[static_cast<size_t>(r)] = made;
  }
  packager.finish();
  if (fill) remember(rows, packed, at);
  if (options.runMode & mode::kCheckOpenGate) checkOpenGates(*kcdb, reporter, packed, firstItem, packager.words());
}

bool PackagedRows::sharedRowsKnown(const RecordTable& rows) const {
  for (int r = 0; r < rows.count(); ++r) {
    const ComponentRecord& row = rows[r];
    if (!row.perDestination && (row.sequence >= bySequence_.size() || bySequence_[row.sequence] == kUnknown))
      return false;
  }
  return true;
}

void PackagedRows::remember(const RecordTable& rows, const RecordTable& packed, const std::vector<int>& at) {
  int standing = 0;
  for (int r = 0; r < rows.count(); ++r) standing += !rows[r].perDestination && at[static_cast<size_t>(r)] >= 0;
  kept_.reserve(standing);
  for (int r = 0; r < rows.count(); ++r) {
    const ComponentRecord& row = rows[r];
    if (row.perDestination) continue;
    if (row.sequence >= bySequence_.size()) bySequence_.resize(row.sequence + 1, kUnknown);
    int& kept = bySequence_[row.sequence];
    if (kept != kUnknown) {
      // Two rows of one walk place: nothing tells them apart later.
      bySequence_.clear();
      kept_.setCount(0);
      return;
    }
    const int made = at[static_cast<size_t>(r)];
    if (made < 0) {
      kept = kMerged;
      continue;
    }
    kept = kept_.count();
    kept_.at(kept).assign(packed[made]);
  }
  filled_ = true;
}

void packageGates(const RunOptions& options, KcdbCache* kcdb, Reporter& reporter, RecordTable& table, int firstItem) {
  if (kcdb == nullptr) return;
  RecordTable packed;
  PackagedRows().package(options, kcdb, reporter, table, packed, firstItem);
  table.replaceWith(packed);
}

}  // namespace comptab
