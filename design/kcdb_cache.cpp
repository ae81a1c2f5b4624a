#include "design/kcdb_cache.h"

#include <utility>

namespace comptab {

std::unique_ptr<KcdbCache> KcdbCache::create(const std::string& kcdbPath, std::string* whyNot) {
  auto access = std::make_unique<KcdbAccess>();
  if (!access->open(kcdbPath, whyNot)) return nullptr;
  std::unique_ptr<KcdbCache> cache(new KcdbCache());
  cache->access_ = access.get();
  cache->library_ = std::move(access);
  return cache;
}

std::unique_ptr<KcdbCache> KcdbCache::create(std::unique_ptr<KcdbLibrary> library) {
  if (!library) return nullptr;
  std::unique_ptr<KcdbCache> cache(new KcdbCache());
  cache->library_ = std::move(library);
  return cache;
}

const KcdbDevice* KcdbCache::device(std::string_view deviceName) {
  if (deviceName.empty() || missingDevices_.contains(deviceName)) return nullptr;
  if (const KcdbDevice* held = devices_.search(deviceName)) return held;
  KcdbDevice found = library_->findDevice(deviceName);
  if (!found.isValid()) {
    missingDevices_.attach(std::string(deviceName));
    return nullptr;
  }
  return devices_.attach(std::move(found));
}

const KcdbComponent* KcdbCache::component(const KcdbDevice* device, std::string_view componentName) {
  if (!device || !device->isValid() || componentName.empty()) return nullptr;
  if (missingComponents_.contains(componentName)) return nullptr;
  if (const KcdbComponent* held = components_.search(componentName)) return held;
  KcdbComponent found;
  if (!library_->findComponent(device->deviceName(), componentName, found)) return nullptr;
  if (!found.isValid()) {
    missingComponents_.attach(std::string(componentName));
    return nullptr;
  }
  return components_.attach(std::move(found));
}

const KcdbComponent* KcdbCache::lookup(std::string_view deviceName, std::string_view componentName) {
  const KcdbDevice* found = device(deviceName);
  return found ? component(found, componentName) : nullptr;
}

}  // namespace comptab
