#include "platform/kcdb/kcdb_memory.h"

#include <utility>

namespace comptab {

const KcdbComponent* KcdbMemory::component(std::string_view deviceName, std::string_view componentName) const {
  const auto device = devices_.find(deviceName);
  if (device == devices_.end()) return nullptr;
  const auto found = device->second.find(componentName);
  return found == device->second.end() ? nullptr : &found->second;
}

void KcdbMemory::add(std::string_view deviceName, KcdbComponent component) {
  auto device = devices_.find(deviceName);
  if (device == devices_.end()) device = devices_.emplace(std::string(deviceName), Components()).first;
  const std::string name = component.compName();
  device->second.emplace(name, std::move(component));
}

KcdbDevice KcdbMemory::findDevice(std::string_view name) {
  const auto device = devices_.find(name);
  if (device == devices_.end()) return {};
  KcdbPropertyTable props;
  props.reserve(device->second.size());
  for (const auto& entry : device->second) props.push_back({"componentName", entry.first});
  return KcdbDevice(device->first, std::move(props));
}

bool KcdbMemory::findComponent(std::string_view deviceName, std::string_view componentName, KcdbComponent& found) {
  const KcdbComponent* held = component(deviceName, componentName);
  found = held != nullptr ? *held : KcdbComponent();
  return true;
}

}  // namespace comptab
