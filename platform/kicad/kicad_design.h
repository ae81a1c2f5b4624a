// A KiCad design in memory: the project's settings, the hierarchy expanded
// into sheet instances, and every placed symbol unit of every instance with
// what that instance gives it (reference, unit, field values, flags, variant
// overrides). The BOM export and the listing read this one model; nothing
// of it is written anywhere.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class KicadSchematic;
struct KicadInstance;
struct KicadLibSymbol;

struct KicadNamedValue {
  std::string name;
  std::string value;
};

// A field as the design holds it: views into the design's files and texts,
// valid while the design lives.
struct KicadFieldView {
  std::string_view name;
  std::string_view value;
};

// The four attributes KiCad keeps per symbol (and, from KiCad 8, per sheet
// block), as they finally apply: a sheet's flags reach every symbol beneath.
struct KicadAttributes {
  bool dnp = false;
  bool inBom = true;
  bool onBoard = true;
  bool excludeFromSim = false;
};

// What one design variant changes on a symbol instance or a sheet instance.
struct KicadVariantOverride {
  std::string variant;
  std::optional<bool> dnp;
  std::optional<bool> inBom;
  std::optional<bool> onBoard;
  std::optional<bool> excludeFromSim;
  std::optional<bool> inPosFiles;
  std::vector<KicadNamedValue> fields;  // field name, value
};

struct KicadSheetInstance {
  std::string uuidPath;  // "/" for the root, "/<uuid>/.../" below
  std::string namePath;  // "/" for the root, "/<name>/.../" below
  std::string name;      // the sheet block's name; "" for the root
  std::string file;      // relative to the project folder
  std::string page;
  int parent = -1;                 // index into sheets(); -1 for the root
  KicadAttributes attributes;      // the block's own flags and its parents'
  std::vector<KicadVariantOverride> variants;
  const KicadSchematic* schematic = nullptr;  // the file, owned by the design
  // Its units: units()[firstUnit, firstUnit + unitCount), in file order.
  uint32_t firstUnit = 0;
  uint32_t unitCount = 0;
};

// One placed symbol unit in one sheet instance. A design holds one a
// symbol and instance (a million in a large one), so a unit holds no copy
// of its fields: resolve() gives them, and variantsOf() its variants.
struct KicadPlacedUnit {
  uint32_t sheet = 0;   // index into sheets()
  uint32_t symbol = 0;  // index into file->symbols()
  const KicadSchematic* file = nullptr;
  const KicadLibSymbol* lib = nullptr;  // null when the file embeds none
  // As the instance gives it ("R?" when unannotated): a view into its file.
  std::string_view reference;
  // The instance data this unit's place gives (reference, unit, KiCad 6
  // value and footprint), as written; null when the file gives none.
  const KicadInstance* instance = nullptr;
  int unit = 1;
  KicadAttributes attributes;  // the symbol's own, with its sheets' applied
  bool power = false;
  // Its variants: the design's store of them [firstVariant, + variantCount).
  uint32_t firstVariant = 0;
  uint32_t variantCount = 0;
};

// A unit as one variant sees it ("" is the design without a variant):
// overrides applied, sheet flags applied, text variables expanded.
struct KicadResolvedUnit {
  const KicadPlacedUnit* placed = nullptr;
  std::vector<KicadNamedValue> fields;
  KicadAttributes attributes;
  // The fields whose text held variables, as written before expansion
  // (KiCad's BOM groups by these).
  std::vector<KicadNamedValue> written;
};

class KicadDesign {
 public:
  // Reads the project of `target` (a .kicad_pro, or a root .kicad_sch).
  // Null with `reason`, one line with the file (and line:column where there
  // is one) and what to change, when it cannot.
  static std::unique_ptr<KicadDesign> open(const std::string& target, std::string* reason = nullptr);
  // As open(), saying what was at fault: the project file, a sheet file
  // (named by `failedFile`), or a hierarchy too large to expand. Without
  // `keepFiles` the files' bytes are let go once read (see
  // KicadFileTree::load): no drawing.
  enum class Failure { None, ProjectFile, Sheet, TooLarge };
  static std::unique_ptr<KicadDesign> open(const std::string& target, Failure& failure, std::string& failedFile,
                                           std::string* reason = nullptr, bool keepFiles = true);
  ~KicadDesign();

  const std::string& projectDir() const;
  const std::string& projectName() const;  // the .kicad_pro's name without suffix
  // Depth first from the root, blocks in file order (a sheet's parent
  // comes before it).
  const std::vector<KicadSheetInstance>& sheets() const;
  // In hierarchy order: the root's symbols in file order, then each sheet
  // instance depth first in the order KiCad walks them (its sheet list is
  // sorted by page number, digits by value; equal pages depth first). Each
  // sheet's units are contiguous, in file order: sheets()[i].firstUnit.
  const std::vector<KicadPlacedUnit>& units() const;
  // The project's text variables and its variants (name, description):
  // those the project file lists, then any other a symbol or sheet instance
  // names, in hierarchy order (KiCad applies those too).
  const std::vector<KicadNamedValue>& textVariables() const;
  const std::vector<KicadNamedValue>& variants() const;
  // The .kicad_pro's text ("" when there is none), for the BOM presets.
  std::string_view projectJson() const;
  // What each design variant changes on `unit`'s symbol instance.
  std::span<const KicadVariantOverride> variantsOf(const KicadPlacedUnit& unit) const;

  // `unit` as variant `variant` sees it. The variant must be one of
  // variants() or "".
  KicadResolvedUnit resolve(const KicadPlacedUnit& unit, std::string_view variant) const;
  // True when a variant or a text variable may make resolve() differ from
  // the unit's own fields and attributes (false for most units). The one
  // rule for this: a caller that skips resolve() asks here, from what the
  // design noted once per file symbol and per sheet.
  bool resolveChanges(const KicadPlacedUnit& unit) const;
  // resolve(unit, variant) without copies, for the units that allow it
  // (most): `fields` gets the names and values resolve() gives, in its
  // order, as views; `attributes` its attributes. False, `fields` empty,
  // for a unit that needs texts of its own (a variant's field overrides, a
  // text variable, legacy simulation fields rewritten per unit): resolve()
  // gives those. A symbol's fields are read once for all its instances.
  bool resolveViews(const KicadPlacedUnit& unit, std::string_view variant, std::vector<KicadFieldView>& fields,
                    KicadAttributes& attributes) const;

 private:
  KicadDesign();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace comptab
