// A placed unit as one design variant sees it: the variant's overrides of
// the symbol instance and of every sheet instance above it, the sheets'
// flags, then the text variables expanded as KiCad's BOM shows them.
#include <algorithm>

#include "platform/kicad/kicad_design_impl.h"
#include "platform/kicad/kicad_schematic.h"
#include "platform/kicad/kicad_text_vars.h"
#include "platform/support/path.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// A cross-reference may lead to another that leads back; KiCad gives up
// after a few steps too.
constexpr int kMaxCrossReferenceDepth = 6;

const KicadVariantOverride* findOverride(std::span<const KicadVariantOverride> list, std::string_view variant) {
  if (variant.empty()) return nullptr;
  for (const KicadVariantOverride& item : list)
    if (item.variant == variant) return &item;
  return nullptr;
}

void applyFlags(KicadAttributes& into, const KicadVariantOverride& over) {
  if (over.dnp) into.dnp = *over.dnp;
  if (over.inBom) into.inBom = *over.inBom;
  if (over.onBoard) into.onBoard = *over.onBoard;
  if (over.excludeFromSim) into.excludeFromSim = *over.excludeFromSim;
}

// KiCad's unit letters: A..Z, then AA, AB, ...
std::string unitLetters(int unit) {
  std::string out;
  for (int n = unit; n > 0; n = (n - 1) / 26) out.insert(out.begin(), static_cast<char>('A' + (n - 1) % 26));
  return out;
}

constexpr std::string_view kMandatoryUpper[] = {"REFERENCE", "VALUE", "FOOTPRINT", "DATASHEET", "DESCRIPTION"};

}  // namespace

std::span<const KicadVariantOverride> KicadDesign::Impl::unitVariantsOf(const KicadPlacedUnit& unit) const {
  return std::span<const KicadVariantOverride>(unitVariants).subspan(unit.firstVariant, unit.variantCount);
}

KicadAttributes KicadDesign::Impl::attributesFor(const KicadPlacedUnit& unit, std::string_view variant) const {
  KicadAttributes attributes = unitOwn[static_cast<size_t>(&unit - units.data())];
  if (const KicadVariantOverride* over = findOverride(unitVariantsOf(unit), variant)) applyFlags(attributes, *over);
  for (int s = static_cast<int>(unit.sheet); s > 0; s = sheets[static_cast<size_t>(s)].parent) {
    const KicadSheetInstance& sheet = sheets[static_cast<size_t>(s)];
    KicadAttributes own = sheetExtra[static_cast<size_t>(s)].own;
    if (const KicadVariantOverride* over = findOverride(sheet.variants, variant)) applyFlags(own, *over);
    attributes.dnp = attributes.dnp || own.dnp;
    attributes.inBom = attributes.inBom && own.inBom;
    attributes.onBoard = attributes.onBoard && own.onBoard;
    attributes.excludeFromSim = attributes.excludeFromSim || own.excludeFromSim;
  }
  return attributes;
}

std::string KicadDesign::Impl::expand(const VarContext& context, std::string_view text) const {
  if (text.find("${") == std::string_view::npos) return std::string(text);
  return expandKicadTextVars(text, [&](std::string_view name, std::string& value) {
    return lookupVar(context, name, value);
  });
}

// In KiCad's order: the symbol's fields and its own variables, another
// symbol's ("R1:VALUE"), the sheet's, its title block, the schematic's,
// then the project's text variables.
bool KicadDesign::Impl::lookupVar(const VarContext& context, std::string_view name, std::string& value) const {
  const KicadPlacedUnit& unit = *context.unit;
  const std::vector<KicadNamedValue>& fields = *context.fields;
  const std::string key = upperAscii(name);
  for (size_t m = 0; m < std::size(kMandatoryUpper); ++m) {
    if (key != kMandatoryUpper[m]) continue;
    value = fields[m].value;
    // ${REFERENCE} names the unit of a part of several: U1A, U1B.
    if (m == 0 && unit.lib != nullptr && unit.lib->unitCount > 1) value += unitLetters(unit.unit);
    return true;
  }
  for (size_t f = std::size(kMandatoryUpper); f < fields.size(); ++f) {
    if (upperAscii(fields[f].name) != key) continue;
    value = fields[f].value;
    return true;
  }
  const std::string_view libId = unit.file->symbols()[unit.symbol].libId;
  const size_t colon = libId.find(':');
  const std::string_view footprint = fields[2].value;
  const size_t footprintColon = footprint.find(':');
  const KicadLibSymbol* lib = unit.file->libSymbol(unit.file->symbols()[unit.symbol].libName.empty()
                                                        ? libId
                                                        : unit.file->symbols()[unit.symbol].libName);
  if (key == "UNIT") {
    value = unitLetters(unit.unit);
  } else if (key == "SHORT_REFERENCE") {
    value = fields[0].value;
  } else if (key == "SYMBOL_LIBRARY") {
    value = colon == std::string_view::npos ? std::string() : std::string(libId.substr(0, colon));
  } else if (key == "SYMBOL_NAME") {
    value = colon == std::string_view::npos ? std::string(libId) : std::string(libId.substr(colon + 1));
  } else if (key == "SYMBOL_DESCRIPTION") {
    value = lib != nullptr ? std::string(lib->description) : std::string();
  } else if (key == "SYMBOL_KEYWORDS") {
    value = lib != nullptr ? std::string(lib->keywords) : std::string();
  } else if (key == "FOOTPRINT_LIBRARY") {
    value = footprintColon == std::string_view::npos ? std::string(footprint)
                                                      : std::string(footprint.substr(0, footprintColon));
  } else if (key == "FOOTPRINT_NAME") {
    value = footprintColon == std::string_view::npos ? std::string()
                                                      : std::string(footprint.substr(footprintColon + 1));
  } else if (key == "DNP") {
    value = context.attributes.dnp ? "DNP" : "";
  } else if (key == "EXCLUDE_FROM_BOM") {
    value = context.attributes.inBom ? "" : "Excluded from BOM";
  } else if (key == "EXCLUDE_FROM_BOARD") {
    value = context.attributes.onBoard ? "" : "Excluded from board";
  } else if (key == "EXCLUDE_FROM_SIM") {
    value = context.attributes.excludeFromSim ? "Excluded from simulation" : "";
  } else if (key == "OP") {
    value = "--";
  } else if (name.find(':') != std::string_view::npos) {
    // Another symbol's field, as that symbol shows it without a variant.
    const size_t split = name.find(':');
    const std::string reference(name.substr(0, split));
    const auto& index = referenceIndex();
    const auto found = index.find(reference);
    if (found == index.end()) {
      value = "<Unresolved: " + reference + ">";
      return true;
    }
    if (context.depth >= kMaxCrossReferenceDepth) return false;
    const KicadPlacedUnit& other = units[found->second];
    VarContext there;
    there.unit = &other;
    const std::vector<KicadNamedValue> built = buildFields(other);
    there.fields = &built;
    there.attributes = attributesFor(other, "");
    there.depth = context.depth + 1;
    std::string raw;
    if (!lookupVar(there, name.substr(split + 1), raw)) {
      value = "<Unresolved: " + std::string(name) + ">";
      return true;
    }
    value = expand(there, raw);
  } else {
    return lookupSheetVar(context, name, key, value);
  }
  return true;
}

bool KicadDesign::Impl::lookupSheetVar(const VarContext& context, std::string_view name, const std::string& key,
                                       std::string& value) const {
  const KicadSheetInstance& sheet = sheets[context.unit->sheet];
  const KicadSchematic& file = *tree.files()[sheetExtra[context.unit->sheet].fileIndex].schematic;
  if (key == "SHEETNAME") {
    // The root sheet is named after the project, or "Root" without one.
    value = sheet.parent >= 0 ? sheet.name : (hasProjectFile ? projectName : "Root");
    return true;
  }
  if (key == "SHEETPATH") {
    value = sheet.namePath;
    return true;
  }
  if (key == "SHEETFILE") {
    value = sheet.parent >= 0 ? baseName(sheet.file) : rootPath.substr(rootPath.starts_with('/') ? 1 : 0);
    return true;
  }
  if (name == "#") {
    value = sheet.page;
    return true;
  }
  if (name == "##") {
    value = std::to_string(sheets.size());
    return true;
  }
  // The fields of the sheet blocks the unit lies under, the nearest first.
  for (int s = static_cast<int>(context.unit->sheet); s > 0; s = sheets[static_cast<size_t>(s)].parent) {
    for (const KicadNamedValue& field : sheetExtra[static_cast<size_t>(s)].fields) {
      if (field.name != name) continue;
      value = field.value;
      return true;
    }
  }
  for (const auto& [title, text] : file.titleBlock()) {
    if (title != key) continue;
    value = std::string(text);
    return true;
  }
  if (key == "FILENAME") {
    value = baseName(rootPath);
  } else if (key == "FILEPATH") {
    value = rootPath;
  } else if (key == "PROJECTNAME") {
    value = hasProjectFile ? projectName : "";
  } else if (key == "VARIANT" || key == "VARIANTNAME") {
    value = std::string(context.variant);
  } else if (key == "VARIANT_DESC") {
    value.clear();
    for (const KicadNamedValue& variant : variants)
      if (variant.name == context.variant) value = variant.value;
  } else {
    for (const KicadNamedValue& var : textVariables) {
      if (var.name != name) continue;
      value = var.value;
      return true;
    }
    return false;
  }
  return true;
}

KicadResolvedUnit KicadDesign::resolve(const KicadPlacedUnit& unit, std::string_view variant) const {
  const Impl& d = *impl_;
  KicadResolvedUnit out;
  out.placed = &unit;
  out.fields = d.buildFields(unit);
  if (const KicadVariantOverride* over = findOverride(d.unitVariantsOf(unit), variant)) {
    for (const KicadNamedValue& field : over->fields) {
      bool found = false;
      for (size_t f = 0; f < out.fields.size(); ++f) {
        KicadNamedValue& have = out.fields[f];
        if (have.name != field.name) continue;
        have.value = f < std::size(kMandatoryUpper) ? std::string(trimmedKicadField(field.value)) : field.value;
        found = true;
      }
      if (!found) out.fields.push_back(field);
    }
  }
  out.attributes = d.attributesFor(unit, variant);
  // Most units name no variable: no copy of their fields to read them from.
  const auto hasVariable = [](const KicadNamedValue& field) { return field.value.find("${") != std::string::npos; };
  if (std::none_of(out.fields.begin(), out.fields.end(), hasVariable)) return out;
  const std::vector<KicadNamedValue> written = out.fields;
  Impl::VarContext context;
  context.unit = &unit;
  context.fields = &written;
  context.attributes = out.attributes;
  context.variant = variant;
  for (KicadNamedValue& field : out.fields) {
    if (field.value.find("${") == std::string::npos) continue;
    out.written.push_back(field);
    field.value = d.expand(context, field.value);
  }
  return out;
}

bool KicadDesign::resolveViews(const KicadPlacedUnit& unit, std::string_view variant,
                                std::vector<KicadFieldView>& fields, KicadAttributes& attributes) const {
  const Impl& d = *impl_;
  fields.clear();
  if (const KicadVariantOverride* over = findOverride(d.unitVariantsOf(unit), variant); over && !over->fields.empty())
    return false;
  if (!d.fieldViews(unit, fields)) {
    fields.clear();
    return false;
  }
  for (const KicadFieldView& field : fields) {
    if (field.value.find("${") == std::string_view::npos) continue;
    fields.clear();
    return false;
  }
  attributes = d.attributesFor(unit, variant);
  return true;
}

// The one rule of what may change a unit: every variant and text
// variable resolve() acts on (the rewrite of legacy simulation fields is
// part of a unit's own fields, not a change; resolveViews() declines such
// units on its own), read from what the design noted once per file
// symbol (a field holding a text variable) and per sheet (variants on it
// or above it). The listing resolves only the units it names.
bool KicadDesign::resolveChanges(const KicadPlacedUnit& unit) const {
  const Impl& d = *impl_;
  const Impl::SheetExtra& sheet = d.sheetExtra[unit.sheet];
  if (unit.variantCount > 0 || sheet.variants) return true;
  const auto variable = [](std::string_view text) { return text.find("${") != std::string_view::npos; };
  if (d.instanceIndex[sheet.fileIndex].variables[unit.symbol]) return true;
  const KicadInstance* instance = unit.instance;
  return instance != nullptr && (variable(instance->value) || variable(instance->footprint));
}

}  // namespace comptab
