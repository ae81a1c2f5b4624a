// The TOML side files, each read by its own reader from the same bytes:
// kordata, vmsys, vmdata, CompKind and PropSpec.
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/rsc/comp_kind.h"
#include "platform/rsc/data_resource.h"
#include "platform/rsc/prop_spec.h"
#include "platform/sheet/variants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& folder = comptab::fuzz::scratch().path();
  const std::string path = comptab::fuzz::writeInput(folder / "side.rsc", data, size);
  std::string reason;
  (void)comptab::DataResource::open(path, comptab::DataResource::kReadOnly, folder.string(), &reason);
  (void)comptab::VariantSysSpec::open(path, 2, &reason);
  if (const auto spec = comptab::VariantDataSpec::open(path, 2, &reason)) {
    for (size_t i = 0; i < spec->count(); ++i) (void)spec->lookup(spec->name(i));
  }
  (void)comptab::CompKindTable::open(path, comptab::CompKindTable::kReadOnly, &reason);
  comptab::PropSpecFile propSpec;
  (void)propSpec.readFrom(path, &reason);
  return 0;
}
