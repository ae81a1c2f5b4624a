#include "platform/kicad/kicad_project.h"

#include <cstdint>
#include <filesystem>
#include <unordered_map>
#include <utility>

#include "platform/circuit/memory_hierarchy.h"
#include "platform/circuit/sheet_path.h"
#include "platform/kcdb/kcdb_memory.h"
#include "platform/kicad/kicad_design.h"
#include "platform/kicad/kicad_hierarchy.h"
#include "platform/kicad/kicad_schematic.h"
#include "platform/kicad/kicad_sheet.h"
#include "platform/sheet/sheet_cache.h"
#include "platform/sheet/sheet_data.h"
#include "platform/support/path.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

constexpr std::string_view kSchematicSuffix = ".kicad_sch";
constexpr std::string_view kProjectSuffix = ".kicad_pro";
constexpr std::string_view kLibrarySuffix = ".kicad_sym";

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

static_assert(KicadProject::kMaxDepth == KicadFileTree::kMaxDepth);

const std::string* findField(const std::vector<KicadNamedValue>& fields, std::string_view name) {
  for (const KicadNamedValue& field : fields)
    if (field.name == name) return &field.value;
  return nullptr;
}

}  // namespace

// Turns the design's sheet instances into the circuit's sheets: each
// instance a sheet of its own, numbered in the design's depth-first order.
class KicadProject::Loader {
 public:
  Loader(KicadProject& project, const KicadDesign& design, std::string_view separator)
      : project_(project),
        design_(design),
        separator_(separator),
        circuitDir_(joinPath(directoryPart(project.projectDir_), baseName(project.projectDir_))),
        paths_(circuitDir_) {}

  void load();

 private:
  // The sheet instance `index`, inside `block` (null at the top), and the
  // instances below it.
  void visit(uint32_t index, BlockInstance* block);
  // The rules a circuit's instances obey: their components in all, and
  // their files inside the project folder.
  void check(int32_t entry, const std::string& file, const SheetData& data, bool nested);
  // The Reference, Value and Footprint fields of a symbol of a file,
  // found once a file rather than once an instance.
  struct OwnTexts {
    std::string_view reference;
    std::string_view value;
    std::string_view footprint;
  };
  // What the loader keeps of a file while instances of it are to come.
  struct FileState {
    int instances = 0;          // in the whole design
    int uses = 0;               // so far
    std::vector<OwnTexts> own;  // by symbol
    // The first instance, which the later ones are made from.
    KicadSheetModel model;
  };
  static OwnTexts ownTexts(const KicadSymbol& symbol);
  // What the circuit gets of one unit: the file's own texts as the listing
  // always showed them, text variables expanded, sheet flags applied, and
  // what each design variant changes as properties of its destination.
  void resolveUnit(const KicadPlacedUnit& unit, const OwnTexts& own, KicadResolved& out);

  KicadProject& project_;
  const KicadDesign& design_;
  std::string separator_;
  std::vector<std::vector<uint32_t>> children_;
  std::unordered_map<std::string, FileState> files_;
  std::vector<std::unique_ptr<std::vector<KicadNamedValue>>> expanded_;  // while a sheet is built
  int nextId_ = 1;
  std::string circuitDir_;
  SheetPathCheck paths_;
  uint64_t instanceComponents_ = 0;
  std::string tooMany_;
  std::string pathProblem_;
};

void KicadProject::Loader::load() {
  const std::vector<KicadSheetInstance>& sheets = design_.sheets();
  children_.resize(sheets.size());
  for (uint32_t i = 1; i < sheets.size(); ++i) children_[static_cast<size_t>(sheets[i].parent)].push_back(i);
  // A sheet's parent comes before it; the root's own list counts for none.
  for (const KicadSheetInstance& sheet : sheets) ++files_[sheet.file].instances;
  project_.hierarchy_ = std::make_unique<MemoryHierarchy>();
  project_.library_ = std::make_unique<KcdbMemory>();
  visit(0, nullptr);
  const std::string& problem = tooMany_.empty() ? pathProblem_ : tooMany_;
  if (!problem.empty()) project_.hierarchyProblem_ = project_.rootFile_ + ": " + problem;
}

void KicadProject::Loader::check(int32_t entry, const std::string& file, const SheetData& data, bool nested) {
  if (nested) {
    instanceComponents_ += data.components.size();
    if (instanceComponents_ > kMaxInstanceComponents && tooMany_.empty())
      tooMany_ = strprintf("the circuit's sheet instances hold more than %llu components in all (the sheet \"%s\" "
                           "instantiated again and again?); a circuit may hold at most that many",
                           static_cast<unsigned long long>(kMaxInstanceComponents), file.c_str());
  }
  if (!pathProblem_.empty()) return;
  if (const std::string problem = paths_.problem(file); !problem.empty())
    pathProblem_ = strprintf("sheet entry %lld: %s", static_cast<long long>(entry), problem.c_str());
}

KicadProject::Loader::OwnTexts KicadProject::Loader::ownTexts(const KicadSymbol& symbol) {
  OwnTexts texts;
  for (const KicadField& field : symbol.fields) {
    if (field.name == "Reference")
      texts.reference = field.value;
    else if (field.name == "Value")
      texts.value = field.value;
    else if (field.name == "Footprint")
      texts.footprint = field.value;
  }
  return texts;
}

void KicadProject::Loader::resolveUnit(const KicadPlacedUnit& unit, const OwnTexts& own, KicadResolved& out) {
  const KicadInstance* instance = unit.instance;
  out.reference = own.reference;
  out.value = own.value;
  out.footprint = own.footprint;
  if (instance != nullptr) {
    if (!instance->reference.empty()) out.reference = instance->reference;
    if (instance->hasValue) out.value = instance->value;
    if (instance->hasFootprint) out.footprint = instance->footprint;
  }
  out.unit = unit.unit;
  out.attributes = unit.attributes;
  out.lib = unit.lib;
  out.libFound = true;
  if (!design_.resolveChanges(unit)) return;

  const KicadResolvedUnit base = design_.resolve(unit, "");
  auto& expanded = expanded_.emplace_back(std::make_unique<std::vector<KicadNamedValue>>(base.fields));
  out.expanded = expanded.get();
  if (out.value.find("${") != std::string_view::npos) out.value = (*expanded)[1].value;
  if (out.footprint.find("${") != std::string_view::npos) out.footprint = (*expanded)[2].value;
  const bool ownPartName = findField(base.fields, "partName") != nullptr;
  for (const KicadNamedValue& variant : design_.variants()) {
    const KicadResolvedUnit seen = design_.resolve(unit, variant.name);
    const auto add = [&](std::string_view name, std::string_view value) {
      out.destinationProperties.push_back({std::string(name) + separator_ + variant.name, std::string(value)});
    };
    for (size_t f = 1; f < seen.fields.size(); ++f) {
      const KicadNamedValue& field = seen.fields[f];
      const std::string* was = findField(base.fields, field.name);
      if (was != nullptr && *was == field.value) continue;
      add(field.name, field.value);
      if (field.name == "Value" && !ownPartName) add("partName", field.value);
    }
    const auto flag = [&](const char* name, bool now, bool was) {
      if (now != was) add(name, now ? "YES" : "NO");
    };
    flag("in_bom", seen.attributes.inBom, base.attributes.inBom);
    flag("on_board", seen.attributes.onBoard, base.attributes.onBoard);
    flag("dnp", seen.attributes.dnp, base.attributes.dnp);
    flag("exclude_from_sim", seen.attributes.excludeFromSim, base.attributes.excludeFromSim);
  }
}

void KicadProject::Loader::visit(uint32_t index, BlockInstance* block) {
  const KicadSheetInstance& sheet = design_.sheets()[index];
  const KicadSchematic& schematic = *sheet.schematic;
  const int32_t id = nextId_++;
  int32_t number = id;
  if (int page = 0; parseInt(sheet.page, page)) number = page;

  // Each instance is a sheet of its own, with its values in place: the
  // second and later instances of a file are "<file>/<n>", which no real
  // file can be, since <file> is one.
  FileState& state = files_[sheet.file];
  const int uses = ++state.uses;
  const std::string file = uses == 1 ? sheet.file : sheet.file + "/" + std::to_string(uses);
  std::vector<KicadResolved> resolved(sheet.unitCount);
  expanded_.clear();
  // A file used once (a flat design's) keeps nothing for later.
  const std::vector<KicadSymbol>& symbols = schematic.symbols();
  if (uses == 1 && state.instances > 1)
    for (const KicadSymbol& symbol : symbols) state.own.push_back(ownTexts(symbol));
  for (uint32_t i = 0; i < sheet.unitCount; ++i) {
    const KicadPlacedUnit& unit = design_.units()[sheet.firstUnit + i];
    resolveUnit(unit, state.instances > 1 ? state.own[unit.symbol] : ownTexts(symbols[unit.symbol]), resolved[i]);
  }
  // Only a file used again keeps its first instance as a model.
  std::shared_ptr<SheetData> data =
      uses == 1 ? buildKicadSheet(schematic, joinPath(project_.projectDir_, sheet.file), resolved, sheet.namePath,
                                  project_.library_.get(), state.instances > 1 ? &state.model : nullptr)
                : buildKicadInstance(state.model, schematic, resolved, sheet.namePath);
  if (uses == state.instances) {
    state.own = {};
    state.model = {};
  }
  check(id, file, *data, block != nullptr);

  MemoryHierarchy& hierarchy = *project_.hierarchy_;
  std::string path = joinPath(circuitDir_, file);
  SheetInfo* info = nullptr;
  if (block == nullptr) {
    info = &hierarchy.addTopSheet(std::move(path), id, number);
  } else {
    std::vector<int32_t> numbers;
    numbers.reserve(data->components.size());
    for (const ComponentData& component : data->components) numbers.push_back(component.number);
    info = &hierarchy.addChildSheet(*block, std::move(path), id, number, std::move(numbers));
  }
  project_.sheets_[file] = std::move(data);

  const std::vector<KicadSheetBlock>& blocks = schematic.sheets();
  const std::vector<uint32_t>& children = children_[index];
  for (size_t b = 0; b < children.size(); ++b) visit(children[b], &hierarchy.addBlock(*info, blocks[b].order));
}

KicadProject::KicadProject() = default;
KicadProject::~KicadProject() = default;

bool KicadProject::isSymbolLibrary(std::string_view path) { return endsWith(path, kLibrarySuffix); }

std::unique_ptr<KcdbMemory> KicadProject::symbolLibrary(const std::string& path, std::string* reason) {
  const auto file = KicadSchematic::read(path, reason);
  if (!file) return nullptr;
  std::string nickname = baseName(path);
  nickname.resize(nickname.size() - kLibrarySuffix.size());
  auto library = std::make_unique<KcdbMemory>();
  for (const KicadLibSymbol& symbol : file->libSymbols()) {
    // Libraries converted from KiCad 5 name their symbols "<library>:<name>".
    const size_t colon = symbol.name.find(':');
    const std::string device = colon == std::string_view::npos ? nickname + ":" + std::string(symbol.name)
                                                                : std::string(symbol.name);
    const std::string_view component = colon == std::string_view::npos ? symbol.name : symbol.name.substr(colon + 1);
    if (const KicadLibSymbol* drawn = drawnSymbol(*file, symbol.name, {}))
      addKicadComponent(*library, device, component, *drawn);
  }
  return library;
}

bool KicadProject::isTarget(std::string_view path) {
  return endsWith(path, kSchematicSuffix) || endsWith(path, kProjectSuffix);
}

std::unique_ptr<KicadProject> KicadProject::open(const std::string& target, Failure& failure, std::string& failedFile,
                                                 std::string* reason, std::string_view variantSeparator,
                                                 bool keepDesign) {
  std::string why;
  std::unique_ptr<KicadProject> project = load(target, failure, failedFile, why, variantSeparator, keepDesign);
  if (!project && reason) *reason = why;
  return project;
}

std::unique_ptr<KicadProject> KicadProject::load(const std::string& target, Failure& failure, std::string& failedFile,
                                                 std::string& why, std::string_view separator, bool keepDesign) {
  std::unique_ptr<KicadProject> project(new KicadProject());
  project->projectDir_ = directoryPart(expandPath(target));
  project->rootFile_ = target;
  if (endsWith(target, kProjectSuffix))
    project->rootFile_ = target.substr(0, target.size() - kProjectSuffix.size()) + std::string(kSchematicSuffix);
  KicadDesign::Failure designFailure = KicadDesign::Failure::None;
  // The listing takes the files' own texts; only the units a variant or a
  // text variable changes are resolved. Only a design kept for its drawing
  // needs the files' bytes.
  std::unique_ptr<KicadDesign> design = KicadDesign::open(target, designFailure, failedFile, &why, keepDesign);
  if (!design) {
    failure = designFailure == KicadDesign::Failure::ProjectFile ? Failure::ProjectFile
              : designFailure == KicadDesign::Failure::TooLarge  ? Failure::TooLarge
                                                                 : Failure::Sheet;
    return nullptr;
  }
  for (const KicadNamedValue& variant : design->variants()) project->variants_.push_back(variant.name);
  Loader loader(*project, *design, separator);
  loader.load();
  if (keepDesign) project->design_ = std::move(design);
  failure = Failure::None;
  return project;
}

void KicadProject::shareSheets(SheetCache& cache) const {
  for (const auto& [key, sheet] : sheets_) cache.hold(joinPath(projectDir_, key), sheet);
}

std::unique_ptr<CircuitHierarchy> KicadProject::takeHierarchy(std::string* reason) {
  if (!hierarchyProblem_.empty()) {
    if (reason != nullptr) *reason = hierarchyProblem_;
    return nullptr;
  }
  return std::move(hierarchy_);
}

std::unique_ptr<KcdbMemory> KicadProject::takeLibrary() { return std::move(library_); }

}  // namespace comptab
