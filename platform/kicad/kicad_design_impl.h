// What KicadDesign keeps beside its interface, shared by its sources
// (kicad_design.cpp expands the hierarchy, kicad_variants.cpp resolves a
// unit for a variant). Internal to the KiCad library.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/kicad/kicad_design.h"
#include "platform/kicad/kicad_hierarchy.h"

namespace comptab {

struct KicadSheetBlock;
class KicadSpiceLibraries;

// KiCad keeps the five fields every symbol has without the white space
// around them (its BOM shows " 10k " as "10k"); other fields as written.
std::string_view trimmedKicadField(std::string_view text);

struct KicadDesign::Impl {
  struct Place {
    std::string path7;    // "/<root uuid>/<block uuid>..."
    std::string path6;    // "/<block uuid>...", empty at the root
    std::string holder7;  // path7 of the sheet holding the block
  };
  struct SheetExtra {
    uint32_t fileIndex = 0;
    KicadAttributes own;  // the block's own flags
    std::vector<KicadNamedValue> fields;  // the block's user fields
    bool variants = false;  // it or a block above it has variants (resolveChanges)
  };

  // What a text variable is read against: one unit as one variant sees it.
  struct VarContext {
    const KicadPlacedUnit* unit = nullptr;
    const std::vector<KicadNamedValue>* fields = nullptr;
    KicadAttributes attributes;
    std::string_view variant;
    int depth = 0;
  };

  // KiCad 7 and later: each symbol's instance by the path of its sheet,
  // indexed at a file's first use (a file used by many sheets holds as
  // many paths in every symbol).
  struct InstanceIndex {
    bool built = false;
    std::unordered_map<std::string_view, uint32_t> pathIds;
    // A file used by many sheets gives nearly every symbol an instance
    // under nearly every path: then a table by path id and symbol, else a
    // map by path id << 32 | symbol.
    std::vector<const KicadInstance*> table;
    std::unordered_map<uint64_t, const KicadInstance*> instances;
    std::vector<const KicadLibSymbol*> libs;  // the drawn symbol of each symbol
    // Each symbol's own flags and its Reference field as written: the
    // same for every instance.
    std::vector<KicadAttributes> own;
    std::vector<std::string_view> references;
    // Whether a field of the symbol holds "${", for resolveChanges.
    std::vector<bool> variables;
    const KicadInstance* find(uint32_t pathId, uint32_t symbol, size_t symbols) const;
  };

  bool load(const std::string& target, Failure& failure, std::string& failedFile, std::string& why);
  void expand(uint32_t fileIndex, int parent, const KicadSheetBlock* block, const Place& place);
  void placeSymbols(const KicadFileTree::File& file, uint32_t sheetIndex, const Place& place);
  void orderUnitsByPage();
  // A file symbol's fields as a unit lists them (the five first, trimmed;
  // the simulation flags left out; "~" read as empty in older files),
  // before its instance's: made once a file, for every instance of it.
  struct SymbolFields {
    uint32_t first = 0;  // into FileFields::views
    uint32_t count = 0;
    bool simulated = false;  // has Sim* or Spice* fields, rewritten per unit
  };
  struct FileFields {
    bool built = false;
    std::vector<SymbolFields> symbols;
    std::vector<KicadFieldView> views;
  };
  // A unit's fields as views: its symbol's with its instance's reference,
  // value and footprint. False when they are legacy simulation fields,
  // which only buildFields rewrites.
  bool fieldViews(const KicadPlacedUnit& unit, std::vector<KicadFieldView>& out) const;
  // A unit's fields as the header orders them, from its file and instance.
  std::vector<KicadNamedValue> buildFields(const KicadPlacedUnit& unit) const;
  // Only for a unit with legacy simulation fields (fieldViews() false):
  // the rest are spared the pin list.
  void migrateSimFields(const KicadPlacedUnit& unit, std::vector<KicadNamedValue>& fields) const;
  std::span<const KicadVariantOverride> unitVariantsOf(const KicadPlacedUnit& unit) const;
  // The attributes of `unit` for `variant`, its sheets' flags applied.
  KicadAttributes attributesFor(const KicadPlacedUnit& unit, std::string_view variant) const;
  bool lookupVar(const VarContext& context, std::string_view name, std::string& value) const;
  bool lookupSheetVar(const VarContext& context, std::string_view name, const std::string& key,
                      std::string& value) const;
  std::string expand(const VarContext& context, std::string_view text) const;

  std::string projectDir;
  std::string projectName;
  std::string projectJson;
  KicadFileTree tree;
  const KicadSchematic* rootSchematic = nullptr;
  std::vector<KicadSheetInstance> sheets;
  std::vector<SheetExtra> sheetExtra;  // by sheet
  std::vector<InstanceIndex> instanceIndex;  // by file of the tree
  mutable std::vector<FileFields> fileFields;  // by file of the tree, at its first fieldViews()
  std::vector<KicadPlacedUnit> units;
  std::vector<KicadAttributes> unitOwn;  // by unit: the symbol's own flags
  std::vector<KicadVariantOverride> unitVariants;  // KicadPlacedUnit::firstVariant
  std::vector<KicadNamedValue> textVariables;
  std::vector<KicadNamedValue> variants;
  bool hasProjectFile = false;
  bool keepFiles = true;   // false: the files' bytes are let go once read
  std::string rootPath;  // as given, for ${FILEPATH}
  // A reference's last unit in hierarchy order, for "${R1:VALUE}": made at
  // the first such variable, since most designs name none.
  const std::unordered_map<std::string_view, uint32_t>& referenceIndex() const;
  mutable std::unordered_map<std::string_view, uint32_t> byReference;
  mutable bool byReferenceBuilt = false;
  // The SPICE libraries legacy simulation fields name, read on first use.
  mutable std::unique_ptr<KicadSpiceLibraries> spiceLibraries;
};

}  // namespace comptab
