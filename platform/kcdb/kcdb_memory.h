// A component library made in memory from the symbols a design carries
// (a KiCad project's embedded symbols, a KiCad symbol library): what a KCDB
// file would hold for them, without the file. Every device lies in one
// library, which is always present; a device's property table lists its
// components as "componentName" entries, which the open-gate check reads.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/kcdb/kcdb.h"

namespace comptab {

class KcdbMemory final : public KcdbLibrary {
 public:
  KcdbMemory() = default;
  ~KcdbMemory() override = default;

  // The device's component of that name; null when none was added.
  const KcdbComponent* component(std::string_view deviceName, std::string_view componentName) const;
  // Adds a valid component to the device, which the first of its
  // components makes; a name the device has already keeps its first.
  void add(std::string_view deviceName, KcdbComponent component);
  bool empty() const { return devices_.empty(); }

  KcdbDevice findDevice(std::string_view name) override;
  bool findComponent(std::string_view deviceName, std::string_view componentName, KcdbComponent& found) override;

 private:
  // By name, in byte order: the order of a device's property table.
  using Components = std::map<std::string, KcdbComponent, std::less<>>;
  std::map<std::string, Components, std::less<>> devices_;
};

}  // namespace comptab
