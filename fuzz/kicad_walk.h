// What both KiCad fuzz targets do with a project once its files are
// written: open it as the listing does, share its sheets, and load every
// sheet of the hierarchy it builds, so that expansion and loading are both
// driven whatever the input made of the files.
#pragma once

#include <string>

#include "platform/circuit/circuit_hierarchy.h"
#include "platform/kcdb/kcdb_memory.h"
#include "platform/kicad/kicad_project.h"
#include "platform/sheet/sheet_cache.h"

namespace comptab::fuzz {

inline void walkKicadProject(const std::string& root) {
  KicadProject::Failure failure = KicadProject::Failure::None;
  std::string failedFile;
  std::string why;
  const auto project = KicadProject::open(root, failure, failedFile, &why);
  if (!project) return;
  SheetCache cache;
  project->shareSheets(cache);
  if (const auto hierarchy = project->takeHierarchy(&why)) {
    for (SheetInfo* sheet : hierarchy->topSheets())
      for (const BlockInstance* block : sheet->blocks())
        for (SheetInfo* child : block->childSheets()) (void)child->load(&why);
  }
  (void)project->takeLibrary();
}

}  // namespace comptab::fuzz
