// The KiCad project reader: the S-expression syntax, the schematic file and
// the hierarchy a root file names (a block may name the input itself), then
// the design model's expansion with every unit resolved for every variant
// the file's instances name.
#include <string>

#include "fuzz/fuzz_input.h"
#include "fuzz/kicad_walk.h"
#include "platform/kicad/kicad_design.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path =
      comptab::fuzz::writeInput(comptab::fuzz::scratch().path() / "input.kicad_sch", data, size);
  std::string why;
  if (const auto design = comptab::KicadDesign::open(path, &why)) {
    for (const comptab::KicadPlacedUnit& unit : design->units()) {
      (void)design->resolve(unit, "");
      for (const comptab::KicadVariantOverride& variant : design->variantsOf(unit))
        (void)design->resolve(unit, variant.variant);
    }
  }
  comptab::fuzz::walkKicadProject(path);
  return 0;
}
