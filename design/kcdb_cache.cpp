#include "design/kcdb_cache.h"

namespace comptab {

std::unique_ptr<KcdbCache> KcdbCache::create(const std::string& kcdbPath, std::string* whyNot) {
  std::unique_ptr<KcdbCache> cache(new KcdbCache());
  if (!cache->access_.open(kcdbPath, whyNot)) return nullptr;
  return cache;
}

std::unique_ptr<KcdbCache> KcdbCache::createFromSql(const std::string& name, const std::string& sql,
                                                     std::string* whyNot) {
  std::unique_ptr<KcdbCache> cache(new KcdbCache());
  if (!cache->access_.openSql(name, sql, whyNot)) return nullptr;
  return cache;
}

const KcdbDevice* KcdbCache::device(std::string_view deviceName) {
  if (deviceName.empty() || missingDevices_.contains(deviceName)) return nullptr;
  if (const KcdbDevice* held = devices_.search(deviceName)) return held;
  KcdbDevice found = access_.device(deviceName);
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
  const KcdbReader* reader = access_.reader(device->deviceName());
  if (!reader) return nullptr;
  KcdbComponent found = reader->component(device->deviceName(), componentName);
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
