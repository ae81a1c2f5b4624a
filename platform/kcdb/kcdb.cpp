#include "platform/kcdb/kcdb.h"

#include <utility>

#include "platform/kcdb/kcdb_queries.h"

namespace comptab {

KcdbDevice::KcdbDevice(std::string deviceName, KcdbPropertyTable props)
    : valid_(true), deviceName_(std::move(deviceName)), props_(std::move(props)) {}

KcdbComponent::KcdbComponent(std::string compName, uint16_t compType, int gateCount, GateMap gates)
    : valid_(true),
      compName_(std::move(compName)),
      compType_(compType),
      gateCount_(gateCount),
      gates_(std::move(gates)) {}

int KcdbComponent::gateNo(std::string_view pinNumber) const {
  const auto found = gates_.find(pinNumber);
  return found == gates_.end() ? 0 : found->second;
}

KcdbReader::KcdbReader(KcdbQueries& queries, int64_t libraryId, std::string libraryName)
    : queries_(&queries), libraryId_(libraryId), libraryName_(std::move(libraryName)) {}

KcdbComponent KcdbReader::component(std::string_view deviceName, std::string_view componentName,
                                    std::string* reason) const {
  return queries_->component(libraryId_, deviceName, componentName, reason);
}

KcdbAccess::KcdbAccess() : queries_(std::make_unique<KcdbQueries>()) {}
KcdbAccess::~KcdbAccess() = default;

int KcdbAccess::open(const std::string& databasePath, std::string* reason) {
  close();
  return queries_->open(databasePath, reason) ? 1 : 0;
}

int KcdbAccess::isValid() const { return queries_->isOpen() ? 1 : 0; }

void KcdbAccess::close() {
  readers_.clear();
  queries_->close();
}

KcdbDevice KcdbAccess::device(std::string_view name, std::string* reason) { return queries_->device(name, reason); }

KcdbReader* KcdbAccess::reader(std::string_view deviceName, std::string* reason) {
  const std::optional<KcdbQueries::Library> library = queries_->libraryOf(deviceName, reason);
  if (!library || !library->present) return nullptr;
  std::unique_ptr<KcdbReader>& held = readers_[library->id];
  if (!held) held.reset(new KcdbReader(*queries_, library->id, library->name));
  return held.get();
}

const KcdbRequestCounts& KcdbAccess::requestCounts() const { return queries_->counts; }

KcdbDevice KcdbAccess::findDevice(std::string_view name) { return device(name); }

bool KcdbAccess::findComponent(std::string_view deviceName, std::string_view componentName, KcdbComponent& found) {
  const KcdbReader* held = reader(deviceName);
  if (held == nullptr) return false;
  found = held->component(deviceName, componentName);
  return true;
}

}  // namespace comptab
