// A KiCad project as the circuit of a run (docs/kicad.md): read once when
// the design is opened, its sheets handed to the run's sheet cache, its
// hierarchy and its library built in memory rather than saved anywhere.
#include "design/kcdb_cache.h"
#include "design/run.h"
#include "platform/circuit/circuit_hierarchy.h"
#include "platform/kcdb/kcdb_memory.h"
#include "platform/kicad/kicad_project.h"
#include "platform/rsc/data_resource.h"
#include "platform/sheet/variants.h"
#include "platform/support/file_locators.h"
#include "settings/message_codes.h"
#include "settings/run_mode.h"

namespace comptab {

int Run::openKicadProject() {
  KicadProject::Failure failure = KicadProject::Failure::None;
  std::string failedFile;
  std::string why;
  std::unique_ptr<KicadProject>& project = caches_.kicadProject;
  // Variants become properties "<name><separator><variant>"; the suite's
  // separator is wanted before the specs are checked, so it is read here.
  const std::string sysPath = SystemFile::fileName("vmsys", SystemKind::Resource);
  data_.variantSysSpec = VariantSysSpec::open(sysPath, 2);
  const char separator = data_.variantSysSpec ? data_.variantSysSpec->separator() : '@';
  project = KicadProject::open(options_.designFile, failure, failedFile, &why, std::string_view(&separator, 1),
                               options_.keepKicadFiles);
  if (!project) {
    const int code = failure == KicadProject::Failure::ProjectFile ? msg::kKicadProjectOpen
                     : failure == KicadProject::Failure::TooLarge  ? msg::kInstanceDbCreate
                                                                   : msg::kSheetOpen;
    reporter_.reportError(ReportKind::InputFile, failedFile, 1, code);
    reporter_.writeNote(why);
    return 0;
  }
  project->shareSheets(caches_.sheets);
  // The project carries its own library: the symbols embedded in its
  // sheets say how many units each part has and which pins each unit owns.
  // A data resource may name a symbol library instead, to check the design
  // against the library rather than against the copies it carries.
  if (options_.runMode & (mode::kPackage | mode::kPnPackage)) {
    std::string whyNot;
    const std::string& library = data_.dataResource->kcdbPath();
    if (!KicadProject::isSymbolLibrary(library))
      data_.kcdbCache = KcdbCache::create(project->takeLibrary());
    else
      data_.kcdbCache = KcdbCache::create(KicadProject::symbolLibrary(library, &whyNot));
    if (!data_.kcdbCache) {
      reporter_.writeWarning(msg::kKcdbOpen);
      reporter_.writeNote(whyNot);
    }
  }
  return 1;
}

std::unique_ptr<CircuitHierarchy> Run::kicadHierarchy() {
  std::string why;
  auto db = caches_.kicadProject->takeHierarchy(&why);
  if (!db) {
    reporter_.reportError(ReportKind::InputFile, options_.designFile, 1, msg::kInstanceDbCreate);
    reporter_.writeNote(why);
  }
  return db;
}

}  // namespace comptab
