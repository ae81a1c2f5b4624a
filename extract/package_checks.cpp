#include "extract/package_checks.h"

#include <string_view>
#include <vector>

#include "design/kcdb_cache.h"
#include "design/reporter.h"
#include "extract/package_report.h"
#include "platform/sheet/comp_type.h"
#include "settings/message_codes.h"
#include "table/record_table.h"

namespace comptab {

namespace {

// Labels are "NAME:gate"; a label counts for the component of exactly that
// name, so that NAND does not count the gates of NAND2.
int labelsOf(const ComponentRecord& package, std::string_view componentName) {
  int count = 0;
  for (const std::string& label : package.strings)
    if (label.size() > componentName.size() && label.starts_with(componentName) && label[componentName.size()] == ':')
      ++count;
  return count;
}

}  // namespace

void DevicePropertyCheck::check(Reporter& reporter, const ComponentRecord& row, const KcdbDevice& device,
                                const RowReport& report) {
  if (!report.on) return;
  auto [entry, added] = allowed_.try_emplace(&device);
  AllowedValues& allowed = entry->second;
  if (added)
    for (const KcdbProperty& property : device.props())
      if (!property.name.empty()) allowed[property.name].insert(property.value);
  for (const KcdbProperty& property : device.props()) {
    if (property.name.empty()) continue;
    const std::string value = row.text(property.name);
    if (!allowed[property.name].contains(value))
      reporter.writeWarning(msg::kKcdbPropertyValue, {componentInWarning(row), property.name, report.destinationText});
  }
}

void checkOpenGates(KcdbCache& kcdb, Reporter& reporter, const RecordTable& table, int firstItem,
                    const DestinationWords& words) {
  // The rows left out of every package, by the reference they carry.
  std::unordered_map<std::string, std::vector<int>> leftOut;
  for (int i = 0; i < table.count(); ++i) {
    const PropertyText reference = table[i].value("_NILR_");
    if (!isEmptyValue(reference)) leftOut[std::string(*reference)].push_back(i);
  }

  for (int i = 0; i < table.count(); ++i) {
    const ComponentRecord& package = table[i];
    const bool gate = package.flags.gate != 0;
    const bool parts = package.flags.parts != 0;
    if (package.flags.packaged != 0 || package.flags.virtualGate != 0) continue;
    if (!gate && !parts && package.flags.powerBox == 0) continue;

    const RowReport report = rowReport(package, firstItem, words);
    const std::string reference = package.text("reference");
    if (!gate && !parts) {
      if (report.on)
        reporter.writeWarning(msg::kPowerBoxAlone, {componentInWarning(package), reference, report.destinationText});
      continue;
    }
    const KcdbDevice* device = kcdb.device(package.value("cdbName").value_or(""));
    if (device == nullptr) continue;

    bool openGate = false;
    if (isEmptyValue(package.value("_HASPOWER"))) {
      for (const KcdbProperty& entry : device->props()) {
        if (entry.name != "componentName" || entry.value.empty()) continue;
        const KcdbComponent* component = kcdb.component(device, entry.value);
        if (component == nullptr) continue;
        const bool powerBox = CompType::isPowerBox(component->compType());
        const bool used = (parts && powerBox) || (gate && (powerBox || CompType::isGate(component->compType())));
        if (!used || labelsOf(package, component->compName()) >= component->gateCount()) continue;
        openGate = true;
        if (report.on)
          reporter.writeWarning(powerBox ? msg::kOpenPowerGate : msg::kOpenGate,
                                {"", reference, component->compName(), report.destinationText});
      }
    }
    if (openGate) continue;
    const auto unpackaged = leftOut.find(reference);
    if (unpackaged == leftOut.end() || !report.on) continue;
    for (const int row : unpackaged->second)
      reporter.writeWarning(msg::kPackageConflict,
                            {componentInWarning(table[row]), table[row].text("_NILR_"), report.destinationText});
  }
}

}  // namespace comptab
