// The resource-file reader: the raw parser and the settings built from it.
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/rsc/rsc_file.h"
#include "settings/resource_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = comptab::fuzz::writeInput(comptab::fuzz::scratch().path() / "input.rsc", data, size);
  const comptab::RscFile file = comptab::RscFile::open(path);
  for (const char* key : {"format", "sort", "search", "destination", "compdest", "alignsep", "x"}) {
    (void)file.lookup(key);
  }
  comptab::ResourceOutcome outcome;
  const auto settings = comptab::loadSettings(path, outcome);
  // A record without a failure, or a failure without a record: never both or neither.
  if ((settings != nullptr) != outcome.ok()) std::abort();
  return 0;
}
