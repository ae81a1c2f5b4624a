// The KiCad project reader: the S-expression syntax, the schematic file and
// the hierarchy a root file names (a block may name the input itself), then
// the design model's expansion with every unit resolved for every variant
// the file's instances name.
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/circuit/instance_db.h"
#include "platform/kicad/kicad_design.h"
#include "platform/kicad/kicad_project.h"
#include "platform/sheet/sheet_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path =
      comptab::fuzz::writeInput(comptab::fuzz::scratch().path() / "input.kicad_sch", data, size);
  comptab::KicadProject::Failure failure = comptab::KicadProject::Failure::None;
  std::string failedFile;
  std::string why;
  if (const auto design = comptab::KicadDesign::open(path, &why)) {
    for (const comptab::KicadPlacedUnit& unit : design->units()) {
      (void)design->resolve(unit, "");
      for (const comptab::KicadVariantOverride& variant : unit.variants) (void)design->resolve(unit, variant.variant);
    }
  }
  const auto project = comptab::KicadProject::open(path, failure, failedFile, &why);
  if (!project) return 0;
  comptab::SheetCache cache;
  project->shareSheets(cache);
  const auto db = project->instanceDb(cache, &why);
  if (db) {
    for (comptab::SheetInfo* sheet : db->topSheets())
      for (const comptab::BlockInstance* block : sheet->blocks())
        for (comptab::SheetInfo* child : block->childSheets()) (void)child->load(&why);
  }
  (void)project->kcdbSql();
  return 0;
}
