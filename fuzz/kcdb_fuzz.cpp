// The KCDB: a database file made of the fuzz bytes, opened and looked up.
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/kcdb/kcdb.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = comptab::fuzz::writeInput(comptab::fuzz::scratch().path() / "kcdb.db", data, size);
  comptab::KcdbAccess access;
  if (access.open(path) == 0 || access.isValid() == 0) return 0;
  for (const char* name : {"74HC00", "RES-10K", "BGA-1", "ORPHAN", ""}) {
    const comptab::KcdbDevice device = access.device(name);
    for (const auto& property : device.props()) (void)property.value.size();
    if (comptab::KcdbReader* reader = access.reader(name)) {
      const comptab::KcdbComponent component = reader->component(name, "U1");
      (void)component.gateNo("1");
      (void)component.gateCount();
    }
  }
  access.close();
  return 0;
}
