#include "platform/kicad/kicad_design.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "platform/kicad/kicad_design_impl.h"
#include "platform/kicad/kicad_hierarchy.h"
#include "platform/kicad/kicad_project_file.h"
#include "platform/kicad/kicad_schematic.h"
#include "platform/kicad/kicad_sheet.h"
#include "platform/kicad/kicad_sim_fields.h"
#include "platform/kicad/kicad_spice_library.h"
#include "platform/support/name_order.h"
#include "platform/support/path.h"

namespace comptab {

namespace {

constexpr std::string_view kSchematicSuffix = ".kicad_sch";
constexpr std::string_view kProjectSuffix = ".kicad_pro";
// Files of this format and later write an empty field as ""; older ones
// wrote "~", which KiCad reads as empty in every field of a placed symbol.
constexpr int kEmptyFieldsVersion = 20250318;

}  // namespace

std::string_view trimmedKicadField(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n\v\f";
  // Nearly every field has no space around it: two bytes tell.
  const auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  if (text.empty() || (!space(text.front()) && !space(text.back()))) return text;
  const size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

constexpr std::string_view kMandatory[] = {"Reference", "Value", "Footprint", "Datasheet", "Description"};

KicadAttributes ownAttributes(KicadFlag dnp, KicadFlag inBom, KicadFlag onBoard, KicadFlag sim) {
  KicadAttributes a;
  a.dnp = dnp == KicadFlag::Yes;
  a.inBom = inBom != KicadFlag::No;
  a.onBoard = onBoard != KicadFlag::No;
  a.excludeFromSim = sim == KicadFlag::Yes;
  return a;
}

std::optional<bool> optionalFlag(KicadFlag flag) {
  if (flag == KicadFlag::Unset) return std::nullopt;
  return flag == KicadFlag::Yes;
}

KicadVariantOverride toOverride(const KicadVariantData& data) {
  KicadVariantOverride out;
  out.variant = std::string(data.name);
  out.dnp = optionalFlag(data.dnp);
  out.inBom = optionalFlag(data.inBom);
  out.onBoard = optionalFlag(data.onBoard);
  out.excludeFromSim = optionalFlag(data.excludeFromSim);
  out.inPosFiles = optionalFlag(data.inPosFiles);
  for (const KicadField& field : data.fields) out.fields.push_back({std::string(field.name), std::string(field.value)});
  return out;
}

// A sheet's flags reach everything beneath it.
void inherit(KicadAttributes& into, const KicadAttributes& sheet) {
  into.dnp = into.dnp || sheet.dnp;
  into.inBom = into.inBom && sheet.inBom;
  into.onBoard = into.onBoard && sheet.onBoard;
  into.excludeFromSim = into.excludeFromSim || sheet.excludeFromSim;
}

}  // namespace

KicadDesign::KicadDesign() : impl_(std::make_unique<Impl>()) {}
KicadDesign::~KicadDesign() = default;

const std::string& KicadDesign::projectDir() const { return impl_->projectDir; }
const std::string& KicadDesign::projectName() const { return impl_->projectName; }
const std::vector<KicadSheetInstance>& KicadDesign::sheets() const { return impl_->sheets; }
const std::vector<KicadPlacedUnit>& KicadDesign::units() const { return impl_->units; }
const std::vector<KicadNamedValue>& KicadDesign::textVariables() const { return impl_->textVariables; }
const std::vector<KicadNamedValue>& KicadDesign::variants() const { return impl_->variants; }
std::string_view KicadDesign::projectJson() const { return impl_->projectJson; }
std::span<const KicadVariantOverride> KicadDesign::variantsOf(const KicadPlacedUnit& unit) const {
  return impl_->unitVariantsOf(unit);
}

std::unique_ptr<KicadDesign> KicadDesign::open(const std::string& target, std::string* reason) {
  Failure failure = Failure::None;
  std::string failedFile;
  return open(target, failure, failedFile, reason);
}

std::unique_ptr<KicadDesign> KicadDesign::open(const std::string& target, Failure& failure, std::string& failedFile,
                                               std::string* reason, bool keepFiles) {
  std::unique_ptr<KicadDesign> design(new KicadDesign());
  design->impl_->keepFiles = keepFiles;
  std::string why;
  failure = Failure::None;
  if (!design->impl_->load(target, failure, failedFile, why)) {
    if (reason) *reason = why;
    return nullptr;
  }
  return design;
}

bool KicadDesign::Impl::load(const std::string& target, Failure& failure, std::string& failedFile, std::string& why) {
  projectDir = directoryPart(expandPath(target));
  std::string root = target;
  std::string projectFile;
  if (endsWith(target, kProjectSuffix)) {
    projectFile = target;
    root = target.substr(0, target.size() - kProjectSuffix.size()) + std::string(kSchematicSuffix);
  } else if (endsWith(target, kSchematicSuffix)) {
    projectFile = target.substr(0, target.size() - kSchematicSuffix.size()) + std::string(kProjectSuffix);
    if (!pathAccess(projectFile, Access::Exists)) projectFile.clear();
  } else {
    failure = Failure::Sheet;
    failedFile = target;
    why = target + ": not a KiCad project or schematic: name a .kicad_pro or a root .kicad_sch";
    return false;
  }
  projectName = baseName(root);
  projectName.resize(projectName.size() - kSchematicSuffix.size());
  rootPath = expandPath(root);
  hasProjectFile = !projectFile.empty();
  if (!projectFile.empty()) {
    failure = Failure::ProjectFile;
    failedFile = projectFile;
    KicadProjectFile file;
    if (!readKicadProjectFile(projectFile, file, &why)) return false;
    projectJson = std::move(file.json);
    for (auto& [name, value] : file.textVariables) textVariables.push_back({std::move(name), std::move(value)});
    for (auto& [name, value] : file.variants) variants.push_back({std::move(name), std::move(value)});
    if (!pathAccess(root, Access::Exists)) {
      why = projectFile + ": the root schematic \"" + baseName(root) + "\" beside it does not exist";
      return false;
    }
  }
  KicadFileTree::Failure treeFailure = KicadFileTree::Failure::None;
  if (!tree.load(projectDir, baseName(root), treeFailure, failedFile, why, keepFiles)) {
    failure = treeFailure == KicadFileTree::Failure::TooLarge ? Failure::TooLarge : Failure::Sheet;
    return false;
  }
  failure = Failure::None;
  const std::vector<KicadFileTree::File>& files = tree.files();
  sheets.reserve(files[0].instances);
  units.reserve(files[0].units);
  unitOwn.reserve(files[0].units);
  rootSchematic = files[0].schematic.get();
  instanceIndex.resize(files.size());
  fileFields.resize(files.size());
  Place place;
  place.path7 = "/" + std::string(rootSchematic->uuid());
  expand(0, -1, nullptr, place);
  orderUnitsByPage();
  // KiCad applies a variant the instances name even when the project file
  // does not list it.
  std::unordered_set<std::string> known;
  for (const KicadNamedValue& variant : variants) known.insert(variant.name);
  const auto note = [&](std::span<const KicadVariantOverride> list) {
    for (const KicadVariantOverride& over : list)
      if (known.insert(over.variant).second) variants.push_back({over.variant, std::string()});
  };
  for (const KicadSheetInstance& sheet : sheets) {
    note(sheet.variants);
    for (uint32_t u = sheet.firstUnit; u < sheet.firstUnit + sheet.unitCount; ++u)
      note(unitVariantsOf(units[u]));
  }
  return true;
}

const std::unordered_map<std::string_view, uint32_t>& KicadDesign::Impl::referenceIndex() const {
  if (!byReferenceBuilt) {
    byReferenceBuilt = true;
    byReference.reserve(units.size());
    for (uint32_t i = 0; i < units.size(); ++i) byReference[units[i].reference] = i;
  }
  return byReference;
}

// KiCad's sheet list, which its BOM walks, is sorted by page number
// (digits by value), sheets of equal pages in depth-first order; the units
// follow their sheets in that order.
void KicadDesign::Impl::orderUnitsByPage() {
  std::vector<uint32_t> order(sheets.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return compareNames(sheets[a].page, sheets[b].page) < 0;
  });
  bool inOrder = true;
  for (uint32_t i = 0; i < order.size(); ++i) inOrder = inOrder && order[i] == i;
  if (inOrder) return;
  std::vector<KicadPlacedUnit> sorted;
  std::vector<KicadAttributes> sortedOwn;
  sorted.reserve(units.size());
  sortedOwn.reserve(units.size());
  for (const uint32_t s : order) {
    KicadSheetInstance& sheet = sheets[s];
    const uint32_t first = static_cast<uint32_t>(sorted.size());
    for (uint32_t u = sheet.firstUnit; u < sheet.firstUnit + sheet.unitCount; ++u) {
      sorted.push_back(std::move(units[u]));
      sortedOwn.push_back(unitOwn[u]);
    }
    sheet.firstUnit = first;
  }
  units = std::move(sorted);
  unitOwn = std::move(sortedOwn);
}

void KicadDesign::Impl::expand(uint32_t fileIndex, int parent, const KicadSheetBlock* block, const Place& place) {
  const KicadFileTree::File& file = tree.files()[fileIndex];
  const KicadSchematic& schematic = *file.schematic;
  const int index = static_cast<int>(sheets.size());
  KicadSheetInstance& sheet = sheets.emplace_back();
  sheet.parent = parent;
  sheet.file = file.key;
  sheet.schematic = &schematic;
  SheetExtra& extra = sheetExtra.emplace_back();
  extra.fileIndex = fileIndex;
  if (block == nullptr) {
    sheet.uuidPath = "/";
    sheet.namePath = "/";
    sheet.page = std::string(schematic.page("/"));
  } else {
    const KicadSheetInstance& up = sheets[static_cast<size_t>(parent)];
    sheet.uuidPath = (up.uuidPath == "/" ? std::string("/") : up.uuidPath) + std::string(block->uuid) + "/";
    sheet.namePath = up.namePath + std::string(block->name) + "/";
    sheet.name = std::string(block->name);
    // The page: KiCad 7 and later keep it in the block, by the path of the
    // sheet that holds it; KiCad 6 in the root's page table.
    const std::string_view holder = trimSheetPath(place.holder7);
    for (const auto& [path, text] : block->pages)
      if (path == holder) sheet.page = std::string(text);
    if (sheet.page.empty()) sheet.page = std::string(rootSchematic->page(place.path6));
    for (const KicadField& field : block->userFields)
      extra.fields.push_back({std::string(field.name), std::string(field.value)});
    extra.own = ownAttributes(block->dnp, block->inBom, block->onBoard, block->excludeFromSim);
    sheet.attributes = up.attributes;
    inherit(sheet.attributes, extra.own);
    for (const auto& [path, list] : block->variants)
      if (path == holder)
        for (const KicadVariantData& data : list) sheet.variants.push_back(toOverride(data));
    extra.variants = !sheet.variants.empty() || sheetExtra[static_cast<size_t>(parent)].variants;
  }
  sheets[static_cast<size_t>(index)].firstUnit = static_cast<uint32_t>(units.size());
  placeSymbols(file, static_cast<uint32_t>(index), place);
  sheets[static_cast<size_t>(index)].unitCount =
      static_cast<uint32_t>(units.size()) - sheets[static_cast<size_t>(index)].firstUnit;

  const std::vector<KicadSheetBlock>& blocks = schematic.sheets();
  for (size_t b = 0; b < blocks.size(); ++b) {
    const KicadSheetBlock& child = blocks[b];
    Place below;
    below.holder7 = place.path7;
    below.path7 = place.path7 + "/" + std::string(child.uuid);
    below.path6 = place.path6 + "/" + std::string(child.uuid);
    expand(file.children[b], index, &child, below);
  }
}

bool KicadDesign::Impl::fieldViews(const KicadPlacedUnit& unit, std::vector<KicadFieldView>& out) const {
  const KicadSchematic& file = *unit.file;
  const bool oldEmpty = file.version() < kEmptyFieldsVersion;
  const auto cleaned = [&](std::string_view value) { return oldEmpty && value == "~" ? std::string_view() : value; };
  FileFields& shared = fileFields[sheetExtra[unit.sheet].fileIndex];
  if (!shared.built) {
    shared.built = true;
    shared.symbols.reserve(file.symbols().size());
    for (const KicadSymbol& symbol : file.symbols()) {
      SymbolFields& entry = shared.symbols.emplace_back();
      entry.first = static_cast<uint32_t>(shared.views.size());
      for (const std::string_view name : kMandatory) shared.views.push_back({name, {}});
      for (const KicadField& field : symbol.fields) {
        bool simExcluded = false;
        if (kicadSimEnableField(field.name, field.value, simExcluded)) continue;  // read as a flag
        size_t m = 0;
        while (m < std::size(kMandatory) && kMandatory[m] != field.name) ++m;
        if (m < std::size(kMandatory)) {
          shared.views[entry.first + m].value = cleaned(trimmedKicadField(field.value));
        } else {
          shared.views.push_back({field.name, cleaned(field.value)});
          entry.simulated = entry.simulated || field.name.starts_with("Sim") || field.name.starts_with("Spice");
        }
      }
      entry.count = static_cast<uint32_t>(shared.views.size()) - entry.first;
    }
  }
  const SymbolFields& entry = shared.symbols[unit.symbol];
  out.assign(shared.views.begin() + entry.first, shared.views.begin() + entry.first + entry.count);
  if (const KicadInstance* instance = unit.instance) {
    // unit.reference holds the instance's reference, as written or trimmed.
    if (!instance->reference.empty()) out[0].value = trimmedKicadField(unit.reference);
    if (instance->hasValue) out[1].value = cleaned(trimmedKicadField(instance->value));
    if (instance->hasFootprint) out[2].value = cleaned(trimmedKicadField(instance->footprint));
  }
  return !entry.simulated;
}

std::vector<KicadNamedValue> KicadDesign::Impl::buildFields(const KicadPlacedUnit& unit) const {
  std::vector<KicadFieldView> views;
  const bool simulated = !fieldViews(unit, views);
  // Made at its size: with the fields in full, a unit's are kept all run.
  std::vector<KicadNamedValue> fields;
  fields.reserve(views.size());
  for (const KicadFieldView& field : views) fields.push_back({std::string(field.name), std::string(field.value)});
  if (simulated) migrateSimFields(unit, fields);
  return fields;
}

const KicadInstance* KicadDesign::Impl::InstanceIndex::find(uint32_t pathId, uint32_t symbol, size_t symbols) const {
  if (!table.empty()) return table[pathId * symbols + symbol];
  const auto found = instances.find((uint64_t{pathId} << 32) | symbol);
  return found != instances.end() ? found->second : nullptr;
}

// KiCad rewrites legacy simulation fields when it loads a file, after the
// instance data has set Value (kicad_sim_fields.h).
void KicadDesign::Impl::migrateSimFields(const KicadPlacedUnit& unit, std::vector<KicadNamedValue>& fields) const {
  const KicadSymbol& symbol = unit.file->symbols()[unit.symbol];
  KicadSimSymbol sim;
  sim.reference = fields[0].value;
  if (unit.lib != nullptr)
    for (const KicadLibPin& pin : unit.lib->pins)
      if ((pin.unit == 0 || pin.unit == unit.unit) && (pin.style == 0 || pin.style == symbol.style))
        sim.pins.push_back(pin.number);
  migrateKicadSimFields(fields, sim, [this](std::string_view library, std::string_view model) {
    if (!spiceLibraries) spiceLibraries = std::make_unique<KicadSpiceLibraries>(projectDir);
    return spiceLibraries->find(library, model);
  });
}

void KicadDesign::Impl::placeSymbols(const KicadFileTree::File& file, uint32_t sheetIndex, const Place& place) {
  const KicadSchematic& schematic = *file.schematic;
  const std::string_view here = trimSheetPath(place.path7);
  InstanceIndex& index = instanceIndex[sheetExtra[sheetIndex].fileIndex];
  const size_t symbols = schematic.symbols().size();
  if (!index.built) {
    index.built = true;
    size_t entries = 0;
    for (const KicadSymbol& symbol : schematic.symbols()) {
      for (const auto& instance : symbol.instances)
        index.pathIds.emplace(instance.first, static_cast<uint32_t>(index.pathIds.size()));
      entries += symbol.instances.size();
      index.libs.push_back(drawnSymbol(schematic, symbol.libId, symbol.libName));
      KicadAttributes& own = index.own.emplace_back(
          ownAttributes(symbol.dnp, symbol.inBom, symbol.onBoard, symbol.excludeFromSim));
      std::string_view& reference = index.references.emplace_back();
      bool variables = false;
      for (const KicadField& field : symbol.fields) {
        kicadSimEnableField(field.name, field.value, own.excludeFromSim);
        if (field.name == "Reference") reference = field.value;
        variables = variables || field.value.find("${") != std::string_view::npos;
      }
      index.variables.push_back(variables);
    }
    const bool dense = index.pathIds.size() * symbols <= 2 * entries + 64;
    if (dense)
      index.table.assign(index.pathIds.size() * symbols, nullptr);
    else
      index.instances.reserve(entries);
    for (uint32_t i = 0; i < symbols; ++i) {
      for (const auto& [path, data] : schematic.symbols()[i].instances) {
        const uint32_t id = index.pathIds.find(path)->second;
        // A path a symbol gives twice: the first counts, in either form.
        if (!dense)
          index.instances.emplace((uint64_t{id} << 32) | i, &data);
        else if (const KicadInstance*& slot = index.table[id * symbols + i]; slot == nullptr)
          slot = &data;
      }
    }
  }
  const auto pathId = index.pathIds.find(here);
  std::string key;
  for (uint32_t i = 0; i < schematic.symbols().size(); ++i) {
    const KicadSymbol& symbol = schematic.symbols()[i];
    KicadPlacedUnit& unit = units.emplace_back();
    unit.sheet = sheetIndex;
    unit.file = &schematic;
    unit.symbol = i;
    unit.lib = index.libs[i];
    unit.power = unit.lib != nullptr && unit.lib->power;
    unit.unit = symbol.unit;

    const KicadInstance* instance = nullptr;
    if (pathId != index.pathIds.end()) instance = index.find(pathId->second, i, symbols);
    if (instance == nullptr && rootSchematic->hasSymbolInstances() && !symbol.uuid.empty()) {
      key.assign(place.path6).append("/").append(symbol.uuid);
      instance = rootSchematic->symbolInstance(key);
    }
    unit.instance = instance;
    if (instance != nullptr) {
      if (instance->unit > 0) unit.unit = instance->unit;
      unit.firstVariant = static_cast<uint32_t>(unitVariants.size());
      unit.variantCount = static_cast<uint32_t>(instance->variants.size());
      for (const KicadVariantData& data : instance->variants) unitVariants.push_back(toOverride(data));
    }
    // The instance's reference as written (fieldViews() reads it here, in
    // the unit, rather than in the file again).
    unit.reference = instance != nullptr && !instance->reference.empty() ? instance->reference : index.references[i];
    unitOwn.push_back(index.own[i]);
    unit.attributes = index.own[i];
    inherit(unit.attributes, sheets[sheetIndex].attributes);
  }
}

}  // namespace comptab
