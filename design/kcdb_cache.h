// The KCDB as the extraction and the gate packaging see it: every device
// and component fetched at most once a run, and every name the library does
// not know asked for only once, since a design names the same few parts on
// row after row.
//
// Components are cached by their name alone, whatever device they were
// asked for with: once a component name has an answer for one device, any
// other device asking for that name gets the same answer.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/kcdb/kcdb.h"
#include "platform/support/name_set.h"

namespace comptab {

using KcdbDeviceSet = NamedObjectSet<KcdbDevice, &KcdbDevice::deviceName>;
using KcdbComponentSet = NamedObjectSet<KcdbComponent, &KcdbComponent::compName>;

class KcdbCache {
 public:
  // A cache on the KCDB at that path (as the data resource gives it), or
  // null when there is none or it cannot be opened; then `whyNot`, when
  // given, receives one line saying why.
  static std::unique_ptr<KcdbCache> create(const std::string& kcdbPath, std::string* whyNot = nullptr);
  // A cache on a library the design carries, made in memory.
  static std::unique_ptr<KcdbCache> create(std::unique_ptr<KcdbLibrary> library);

  KcdbCache(const KcdbCache&) = delete;
  KcdbCache& operator=(const KcdbCache&) = delete;

  // The returned objects belong to the cache and live as long as it does.
  // Null for an empty name and for a name the library does not know.
  const KcdbDevice* device(std::string_view deviceName);
  // Null also when the device's library cannot be read now; that is not
  // remembered, so the next request asks again.
  const KcdbComponent* component(const KcdbDevice* device, std::string_view componentName);
  // component(device(deviceName), componentName).
  const KcdbComponent* lookup(std::string_view deviceName, std::string_view componentName);

  // The KCDB file behind the cache, for its request counts; null for a
  // library made in memory.
  const KcdbAccess* access() const { return access_; }

 private:
  KcdbCache() = default;

  std::unique_ptr<KcdbLibrary> library_;
  const KcdbAccess* access_ = nullptr;  // library_, when it is a file
  KcdbDeviceSet devices_;
  KcdbComponentSet components_;
  NameSet missingDevices_;
  NameSet missingComponents_;
};

}  // namespace comptab
