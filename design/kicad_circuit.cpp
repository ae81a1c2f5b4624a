// A KiCad project as the circuit of a run (docs/kicad.md): read once when
// the design is opened, its sheets handed to the run's sheet cache, and
// its instance database built in memory rather than saved into the project.
#include "design/app_state.h"
#include "design/kcdb_cache.h"
#include "platform/circuit/instance_db.h"
#include "platform/kicad/kicad_project.h"
#include "platform/rsc/data_resource.h"
#include "platform/sheet/variants.h"
#include "platform/support/file_locators.h"
#include "settings/message_codes.h"
#include "settings/run_mode.h"

namespace comptab {

int AppState::openKicadProject() {
  KicadProject::Failure failure = KicadProject::Failure::None;
  std::string failedFile;
  std::string why;
  std::unique_ptr<KicadProject>& project = caches_.kicadProject;
  // Variants become properties "<name><separator><variant>"; the suite's
  // separator is wanted before the specs are checked, so it is read here.
  const std::string sysPath = SystemFile::fileName("vmsys", SystemKind::Resource);
  variantSysSpec = VariantSysSpec::open(sysPath, 2);
  const char separator = variantSysSpec ? variantSysSpec->separator() : '@';
  project = KicadProject::open(designFile, failure, failedFile, &why, std::string_view(&separator, 1), keepKicadFiles);
  if (!project) {
    const int code = failure == KicadProject::Failure::ProjectFile ? msg::kKicadProjectOpen
                     : failure == KicadProject::Failure::TooLarge  ? msg::kInstanceDbCreate
                                                                   : msg::kSheetOpen;
    reportError(ReportKind::InputFile, failedFile, 1, code);
    writeNote(why);
    return 0;
  }
  project->shareSheets(caches_.sheets);
  // The project carries its own library: the symbols embedded in its
  // sheets say how many units each part has and which pins each unit owns.
  // A data resource may name a symbol library instead, to check the design
  // against the library rather than against the copies it carries.
  if (RunMode & (mode::kPackage | mode::kPnPackage)) {
    std::string whyNot;
    const std::string& library = dataResource->kcdbPath();
    std::string sql;
    if (!KicadProject::isSymbolLibrary(library))
      kcdbCache = KcdbCache::createFromSql(designFile, project->kcdbSql(), &whyNot);
    else if (KicadProject::libraryKcdbSql(library, sql, &whyNot))
      kcdbCache = KcdbCache::createFromSql(library, sql, &whyNot);
    if (!kcdbCache) {
      writeWarning(msg::kKcdbOpen);
      writeNote(whyNot);
    }
  }
  return 1;
}

std::unique_ptr<InstanceDb> AppState::kicadInstanceDb() {
  std::string why;
  auto db = caches_.kicadProject->instanceDb(caches_.sheets, &why);
  if (!db) {
    reportError(ReportKind::InputFile, designFile, 1, msg::kInstanceDbCreate);
    writeNote(why);
  }
  return db;
}

}  // namespace comptab
