// A KiCad project (docs/kicad.md) as a circuit: its root schematic and the
// sheets below it, each file read once and turned into what a circuit of
// comptab's own formats gives the walk. Each sheet instance becomes a sheet
// of the hierarchy with sheet data of its own, whose components carry that
// instance's references and values in place (a repeated sheet would
// otherwise need a value row for every component of every instance, which
// costs more than the copy); the symbols embedded in the files become a
// KCDB. Nothing is written into the project.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class InstanceDb;
class KicadDesign;
class KicadSchematic;
class NetList;
class SheetCache;
struct NetSheet;
struct SheetData;

class KicadProject {
 public:
  // Blocks may nest as deep as in a circuit of comptab's own.
  static constexpr int kMaxDepth = 32;

  // TooLarge: the hierarchy would expand to more sheet instances or placed
  // symbols than a project may have (docs/kicad.md).
  enum class Failure { None, ProjectFile, Sheet, TooLarge };

  // True for a path that names a KiCad project or schematic: the target of
  // a run that lists it as a circuit.
  static bool isTarget(std::string_view path);

  // Reads the project of `target` (a .kicad_pro, or the root .kicad_sch).
  // Null when it cannot: `failure` says whether the project file or a sheet
  // was at fault, `failedFile` names that file, and `reason` is one line with
  // the file, the line and column where there is one, and what was wrong.
  // What a KiCad design variant V changes on a symbol becomes properties
  // "<name><variantSeparator>V", as the destinations of docs/variants.md.
  // With `keepDesign`, the design model (and the files it read) stays for
  // design().
  static std::unique_ptr<KicadProject> open(const std::string& target, Failure& failure, std::string& failedFile,
                                            std::string* reason = nullptr, std::string_view variantSeparator = "@",
                                            bool keepDesign = false);

  ~KicadProject();
  KicadProject(const KicadProject&) = delete;
  KicadProject& operator=(const KicadProject&) = delete;

  // The folder of the project: what "the design directory" is for it.
  const std::string& projectDir() const { return projectDir_; }
  const std::string& rootFile() const { return rootFile_; }
  // The project's design variants, in the project file's order.
  const std::vector<std::string>& variants() const { return variants_; }
  // The design model the project was read through; null unless the project
  // was opened to keep it.
  const KicadDesign* design() const { return design_.get(); }

  // Puts every schematic's sheet data into the run's cache, to stay there
  // for the run: the walk opens the sheets through it.
  void shareSheets(SheetCache& cache) const;
  // The instance database of the hierarchy, built in memory; the sheets
  // must have been shared into `cache`. Null with `reason` when it cannot be.
  std::unique_ptr<InstanceDb> instanceDb(SheetCache& cache, std::string* reason = nullptr) const;
  // SQL text that makes a KCDB of the symbols the design places.
  const std::string& kcdbSql() const { return kcdbSql_; }
  // SQL text that makes a KCDB of every symbol of a KiCad symbol library
  // (.kicad_sym): devices "<library>:<symbol>", the library named by the
  // file as KiCad names it by default. False with `reason` when the file
  // cannot be read.
  static bool libraryKcdbSql(const std::string& path, std::string& sql, std::string* reason = nullptr);
  // True for a path that names a KiCad symbol library.
  static bool isSymbolLibrary(std::string_view path);

 private:
  KicadProject();
  class Loader;
  static std::unique_ptr<KicadProject> load(const std::string& target, Failure& failure, std::string& failedFile,
                                            std::string& why, std::string_view separator, bool keepDesign);

  std::string projectDir_;
  std::string rootFile_;
  // By file, relative to the project folder.
  std::map<std::string, std::shared_ptr<const SheetData>> sheets_;
  std::unique_ptr<NetSheet> top_;  // while loading
  std::unique_ptr<NetList> netList_;
  std::string kcdbSql_;
  std::vector<std::string> variants_;
  std::unique_ptr<const KicadDesign> design_;
};

}  // namespace comptab
