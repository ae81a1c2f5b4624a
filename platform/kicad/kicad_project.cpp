#include "platform/kicad/kicad_project.h"

#include <simdjson.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <unordered_map>
#include <utility>

#include "platform/circuit/instance_db.h"
#include "platform/circuit/net_list.h"
#include "platform/kicad/kicad_schematic.h"
#include "platform/kicad/kicad_sheet.h"
#include "platform/sheet/sheet_cache.h"
#include "platform/sheet/sheet_data.h"
#include "platform/support/file_bytes.h"
#include "platform/support/json_reader.h"
#include "platform/support/path.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

constexpr std::string_view kSchematicSuffix = ".kicad_sch";
constexpr std::string_view kProjectSuffix = ".kicad_pro";
constexpr std::string_view kLibrarySuffix = ".kicad_sym";
constexpr size_t kMaxProjectBytes = size_t{64} << 20;
constexpr size_t kProjectJsonDepth = 256;

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A project file is JSON; the listing needs nothing from it but that it is
// one, so a damaged file is not mistaken for a usable project.
bool checkProjectFile(const std::string& path, std::string& why) {
  FileBytes bytes;
  if (!readFileBytes(path, kMaxProjectBytes, simdjson::SIMDJSON_PADDING, bytes, &why)) {
    why = path + ": " + why;
    return false;
  }
  simdjson::dom::parser parser;
  simdjson::dom::element root;
  if (!parseJsonText(parser, bytes.text(), kProjectJsonDepth, "a KiCad project file", root, &why)) {
    why = path + ": " + why;
    return false;
  }
  if (!root.is_object()) {
    why = path + ": a KiCad project file is a JSON object";
    return false;
  }
  return true;
}

// The file a sheet block names, relative to the project folder: KiCad
// takes it from the folder of the file that holds the block.
std::string childKey(const std::string& projectDir, const std::string& parentKey, std::string_view file) {
  namespace fs = std::filesystem;
  const fs::path parentDir = fs::path(parentKey).parent_path();
  const fs::path named(std::string{file});
  const fs::path full = (named.is_absolute() ? named : fs::path(projectDir) / parentDir / named).lexically_normal();
  const fs::path relative = full.lexically_relative(fs::path(projectDir));
  return relative.empty() ? full.generic_string() : relative.generic_string();
}

}  // namespace

class KicadProject::Loader {
 public:
  Loader(KicadProject& project, std::string& failedFile, std::string& why)
      : project_(project), failedFile_(failedFile), why_(why) {}

  bool load();

 private:
  struct FileEntry {
    std::unique_ptr<KicadSchematic> schematic;
    std::string key;
    bool onPath = false;  // an ancestor of the sheet being read
    int uses = 0;  // sheet instances of the file so far
    // KiCad 7 and later: each symbol's instance for a sheet path.
    std::unordered_map<std::string_view, uint32_t> pathIds;
    std::unordered_map<uint64_t, const KicadInstance*> instances;
  };
  struct Place {
    std::string path7;  // "/<root uuid>/<block uuid>..."
    std::string path6;  // "/<block uuid>...", empty at the root
    std::string names;  // "/amp1/"
    int depth = 0;
  };

  // The file of `key`, read at its first use; null when it cannot be read,
  // and then `failedAt` says where it was named (empty for the root).
  FileEntry* file(const std::string& key, const std::function<std::string()>& failedAt);
  bool visit(FileEntry& entry, const Place& place, NetSheet& out);
  std::vector<KicadResolved> resolve(FileEntry& entry, const Place& place) const;
  void indexInstances(FileEntry& entry) const;

  KicadProject& project_;
  std::string& failedFile_;
  std::string& why_;
  std::unordered_map<std::string, std::unique_ptr<FileEntry>> files_;
  const KicadSchematic* root_ = nullptr;
  int nextId_ = 1;
  KicadKcdbBuilder kcdb_;
};

KicadProject::Loader::FileEntry* KicadProject::Loader::file(const std::string& key,
                                                            const std::function<std::string()>& failedAt) {
  std::unique_ptr<FileEntry>& entry = files_[key];
  if (entry) return entry.get();
  const std::string path = joinPath(project_.projectDir_, key);
  std::string why;
  auto schematic = KicadSchematic::read(path, &why, true);
  if (!schematic) {
    failedFile_ = path;
    const std::string at = failedAt ? failedAt() : std::string();
    why_ = at.empty() ? why : at + "; " + why;
    files_.erase(key);
    return nullptr;
  }
  entry = std::make_unique<FileEntry>();
  entry->schematic = std::move(schematic);
  entry->key = key;
  return entry.get();
}

void KicadProject::Loader::indexInstances(FileEntry& entry) const {
  const std::vector<KicadSymbol>& symbols = entry.schematic->symbols();
  for (size_t i = 0; i < symbols.size(); ++i) {
    for (const auto& [path, instance] : symbols[i].instances) {
      const auto id = entry.pathIds.emplace(path, static_cast<uint32_t>(entry.pathIds.size())).first->second;
      entry.instances.emplace((uint64_t{id} << 32) | i, &instance);
    }
  }
}

std::vector<KicadResolved> KicadProject::Loader::resolve(FileEntry& entry, const Place& place) const {
  const std::vector<KicadSymbol>& symbols = entry.schematic->symbols();
  std::vector<KicadResolved> out(symbols.size());
  const auto pathId = entry.pathIds.find(trimSheetPath(place.path7));
  const bool rootTable = root_->hasSymbolInstances();
  std::string key;
  for (size_t i = 0; i < symbols.size(); ++i) {
    const KicadSymbol& symbol = symbols[i];
    KicadResolved& r = out[i];
    r.unit = symbol.unit;
    for (const KicadField& field : symbol.fields) {
      if (field.name == "Reference")
        r.reference = field.value;
      else if (field.name == "Value")
        r.value = field.value;
      else if (field.name == "Footprint")
        r.footprint = field.value;
    }
    const KicadInstance* instance = nullptr;
    if (pathId != entry.pathIds.end()) {
      const auto found = entry.instances.find((uint64_t{pathId->second} << 32) | i);
      if (found != entry.instances.end()) instance = found->second;
    }
    if (instance == nullptr && rootTable && !symbol.uuid.empty()) {
      key.assign(place.path6).append("/").append(symbol.uuid);
      instance = root_->symbolInstance(key);
    }
    if (instance == nullptr) continue;  // as the file holds it
    if (!instance->reference.empty()) r.reference = instance->reference;
    if (instance->unit > 0) r.unit = instance->unit;
    if (instance->hasValue) r.value = instance->value;
    if (instance->hasFootprint) r.footprint = instance->footprint;
  }
  return out;
}

bool KicadProject::Loader::load() {
  const std::string rootKey = baseName(project_.rootFile_);
  FileEntry* rootEntry = file(rootKey, nullptr);
  if (rootEntry == nullptr) return false;
  root_ = rootEntry->schematic.get();
  Place place;
  place.path7 = "/" + std::string(root_->uuid());
  place.names = "/";
  project_.top_ = std::make_unique<NetSheet>();
  if (!visit(*rootEntry, place, *project_.top_)) return false;
  project_.kcdbSql_ = kcdb_.sql();
  return true;
}

bool KicadProject::Loader::visit(FileEntry& entry, const Place& place, NetSheet& out) {
  const KicadSchematic& schematic = *entry.schematic;
  out.id = nextId_++;
  const bool nested = place.depth > 0;
  std::string_view page;
  if (!nested) page = schematic.page("/");
  out.number = out.id;
  entry.onPath = true;

  // Each instance is a sheet of its own, with its values in place: the
  // second and later instances of a file are "<file>/<n>", which no real
  // file can be, since <file> is one.
  if (entry.uses++ == 0) indexInstances(entry);
  out.file = entry.uses == 1 ? entry.key : entry.key + "/" + std::to_string(entry.uses);
  project_.sheets_[out.file] = buildKicadSheet(schematic, joinPath(project_.projectDir_, entry.key),
                                               resolve(entry, place), place.names, entry.uses == 1 ? &kcdb_ : nullptr);
  if (!page.empty()) {
    int number = 0;
    if (parseInt(page, number)) out.number = number;
  }

  for (const KicadSheetBlock& block : schematic.sheets()) {
    // Finding a line and column scans the file: only for a failure.
    const auto blockReason = [&](const char* what) {
      return schematic.where(block.offset) + ": the sheet \"" + std::string(block.name) + "\" uses \"" +
             std::string(block.file) + "\", " + what;
    };
    if (place.depth + 1 > kMaxDepth) {
      failedFile_ = schematic.path();
      why_ = schematic.where(block.offset) +
             strprintf(": sheets nest deeper than the %d levels a circuit may have", kMaxDepth);
      return false;
    }
    const std::string key = childKey(project_.projectDir_, entry.key, block.file);
    FileEntry* child = file(key, [&] { return blockReason("which cannot be read"); });
    if (child == nullptr) return false;
    if (child->onPath) {
      failedFile_ = schematic.path();
      why_ = blockReason("which holds it: the sheets make a cycle");
      return false;
    }
    Place below;
    below.path7 = place.path7 + "/" + std::string(block.uuid);
    below.path6 = place.path6 + "/" + std::string(block.uuid);
    below.names = place.names + std::string(block.name) + "/";
    below.depth = place.depth + 1;
    NetBlock& netBlock = out.blocks.emplace_back();
    netBlock.component = block.order;
    NetSheet& sheet = netBlock.sheets.emplace_back();
    if (!visit(*child, below, sheet)) return false;
    // The page: KiCad 7 and later keep it in the block, by the path of the
    // sheet that holds it; KiCad 6 in the root's page table.
    std::string_view childPage;
    for (const auto& [path, text] : block.pages)
      if (path == trimSheetPath(place.path7)) childPage = text;
    if (childPage.empty()) childPage = root_->page(below.path6);
    int number = 0;
    if (parseInt(childPage, number)) sheet.number = number;
  }
  entry.onPath = false;
  return true;
}

KicadProject::KicadProject() = default;
KicadProject::~KicadProject() = default;

bool KicadProject::isSymbolLibrary(std::string_view path) { return endsWith(path, kLibrarySuffix); }

bool KicadProject::libraryKcdbSql(const std::string& path, std::string& sql, std::string* reason) {
  const auto library = KicadSchematic::read(path, reason);
  if (!library) return false;
  std::string nickname = baseName(path);
  nickname.resize(nickname.size() - kLibrarySuffix.size());
  KicadKcdbBuilder kcdb;
  for (const KicadLibSymbol& symbol : library->libSymbols()) {
    // Libraries converted from KiCad 5 name their symbols "<library>:<name>".
    const size_t colon = symbol.name.find(':');
    const std::string device = colon == std::string_view::npos ? nickname + ":" + std::string(symbol.name)
                                                                : std::string(symbol.name);
    const std::string_view component = colon == std::string_view::npos ? symbol.name : symbol.name.substr(colon + 1);
    if (const KicadLibSymbol* drawn = drawnSymbol(*library, symbol.name, {})) kcdb.add(device, component, *drawn);
  }
  sql = kcdb.sql();
  return true;
}

bool KicadProject::isTarget(std::string_view path) {
  return endsWith(path, kSchematicSuffix) || endsWith(path, kProjectSuffix);
}

std::unique_ptr<KicadProject> KicadProject::open(const std::string& target, Failure& failure, std::string& failedFile,
                                                 std::string* reason) {
  std::string why;
  std::unique_ptr<KicadProject> project = load(target, failure, failedFile, why);
  if (!project && reason) *reason = why;
  return project;
}

std::unique_ptr<KicadProject> KicadProject::load(const std::string& target, Failure& failure, std::string& failedFile,
                                                 std::string& why) {
  std::unique_ptr<KicadProject> project(new KicadProject());
  project->projectDir_ = directoryPart(expandPath(target));
  project->rootFile_ = target;
  failure = Failure::None;
  if (endsWith(target, kProjectSuffix)) {
    failedFile = target;
    failure = Failure::ProjectFile;
    if (!checkProjectFile(target, why)) return nullptr;
    project->rootFile_ = target.substr(0, target.size() - kProjectSuffix.size()) + std::string(kSchematicSuffix);
    if (!pathAccess(project->rootFile_, Access::Exists)) {
      why = target + ": the root schematic \"" + baseName(project->rootFile_) + "\" beside it does not exist";
      return nullptr;
    }
  }
  failure = Failure::Sheet;
  Loader loader(*project, failedFile, why);
  if (!loader.load()) return nullptr;
  // The walk finds the sheets by the circuit's folder and their files.
  std::vector<NetSheet> top;
  top.push_back(std::move(*project->top_));
  project->netList_ = NetList::fromSheets(project->projectDir_, std::move(top));
  failure = Failure::None;
  return project;
}

void KicadProject::shareSheets(SheetCache& cache) const {
  for (const auto& [key, sheet] : sheets_) cache.hold(joinPath(projectDir_, key), sheet);
}

std::unique_ptr<InstanceDb> KicadProject::instanceDb(SheetCache& cache, std::string* reason) const {
  return InstanceDb::create(directoryPart(projectDir_), baseName(projectDir_), rootFile_, *netList_, reason, &cache);
}

}  // namespace comptab
