// The net-list reader, and the instance database built from what it read.
#include <filesystem>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/circuit/instance_db.h"
#include "platform/circuit/net_list.h"
#include "platform/sheet/design_db.h"

namespace {
const bool initialized = comptab::DesignDb::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)initialized;
  const std::filesystem::path parent = comptab::fuzz::scratch().path();
  const std::filesystem::path circuit = parent / "c.cir";
  comptab::fuzz::writeInput(circuit / "netlist.json", data, size);
  std::string reason;
  auto list = comptab::NetList::open(circuit.string(), &reason);
  if (!list) return 0;
  const std::filesystem::path instanceFile = circuit / "instance.db";
  std::filesystem::remove(instanceFile);
  auto db = comptab::InstanceDb::create(parent.string(), "c.cir", instanceFile.string(), *list, &reason);
  db.reset();
  comptab::NetList::close(list, 1);
  return 0;
}
