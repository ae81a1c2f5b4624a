// One KiCad schematic file (.kicad_sch, KiCad 6 to 10) as the listing needs
// it: the paper, the title block, the embedded symbol library, the placed
// symbols with their fields, flags and instance data (variants included),
// the sheet blocks, and the page and instance tables of a root file. The
// rest of the file (wires, labels, graphics) is only checked here; the
// drawing reads it from document().
//
// Texts are views into the file's bytes, which the schematic owns, or,
// read with `copyTexts`, into its own copies of them; either way they stay
// good while it lives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/kicad/kicad_text_pool.h"
#include "platform/kicad/sexpr.h"
#include "platform/support/file_bytes.h"

namespace comptab {

struct KicadField {
  std::string_view name;
  std::string_view value;
};

struct KicadLibPin {
  std::string_view number;
  int unit = 0;   // 0: common to every unit
  int style = 0;  // body style; 0 common to both
};

struct KicadLibSymbol {
  std::string_view name;     // "Device:R", or a lib_name such as "R_1"
  std::string_view extends;  // a symbol this one derives from, if any
  bool power = false;
  int unitCount = 1;
  std::string_view description;  // "Description" (KiCad 8) or ki_description
  std::string_view keywords;     // ki_keywords
  std::vector<KicadLibPin> pins;
};

// A yes/no flag of a placed symbol; Unset when the file does not say.
enum class KicadFlag : uint8_t { Unset, Yes, No };

// KiCad 10: what one design variant changes on an instance, inside the
// instance's (path ...): (variant (name "V") (dnp yes) (field (name ..) (value ..))).
struct KicadVariantData {
  std::string_view name;
  KicadFlag dnp = KicadFlag::Unset;
  KicadFlag inBom = KicadFlag::Unset;
  KicadFlag onBoard = KicadFlag::Unset;
  KicadFlag excludeFromSim = KicadFlag::Unset;
  KicadFlag inPosFiles = KicadFlag::Unset;
  std::vector<KicadField> fields;
};

// What one instance (a path through the sheet blocks) gives a symbol.
struct KicadInstance {
  std::string_view reference;
  int unit = 0;  // 0: not given
  bool hasValue = false;
  std::string_view value;
  bool hasFootprint = false;
  std::string_view footprint;
  std::vector<KicadVariantData> variants;
};

struct KicadSymbol {
  uint32_t offset = 0;  // where it starts in the file
  int order = 0;        // its place among the file's symbols and sheet blocks
  std::string_view libId;
  std::string_view libName;
  std::string_view uuid;
  double x = 0;
  double y = 0;
  double angle = 0;  // degrees
  bool mirror = false;
  int unit = 1;
  int style = 1;
  KicadFlag inBom = KicadFlag::Unset;
  KicadFlag onBoard = KicadFlag::Unset;
  KicadFlag dnp = KicadFlag::Unset;
  KicadFlag excludeFromSim = KicadFlag::Unset;
  std::vector<KicadField> fields;  // in file order; "Reference" among them
  // KiCad 7 and later: (path, instance) pairs of the symbol's own
  // (instances ...), of every project.
  std::vector<std::pair<std::string_view, KicadInstance>> instances;
};

struct KicadSheetBlock {
  uint32_t offset = 0;
  int order = 0;
  std::string_view uuid;
  std::string_view name;  // the sheet name field (id 0 in KiCad 6)
  std::string_view file;  // the sheet file field (id 1 in KiCad 6)
  double x = 0;
  double y = 0;
  std::vector<KicadField> userFields;
  // KiCad 7 and later: (path of the sheet that holds the block, page).
  std::vector<std::pair<std::string_view, std::string_view>> pages;
  // KiCad 8 and later: the block's flags, for every symbol beneath it.
  KicadFlag inBom = KicadFlag::Unset;
  KicadFlag onBoard = KicadFlag::Unset;
  KicadFlag dnp = KicadFlag::Unset;
  KicadFlag excludeFromSim = KicadFlag::Unset;
  // KiCad 10: (path of the sheet that holds the block, its variants there).
  std::vector<std::pair<std::string_view, std::vector<KicadVariantData>>> variants;
};

class KicadSchematic {
 public:
  // Reads and checks the file. Null, with `reason` (when given) one line
  // that starts with "<path>:<line>:<column>: " where there is a place,
  // when it cannot be read or is not a KiCad schematic. A symbol library (.kicad_sym)
  // reads as a schematic of library symbols only, unless `sheetOnly`: a
  // sheet of the hierarchy must be a schematic. With `copyTexts` the texts
  // are copied out of the file's bytes (equal ones once), so that
  // releaseFile() may let go of them.
  static std::unique_ptr<KicadSchematic> read(const std::string& path, std::string* reason = nullptr,
                                              bool sheetOnly = false, bool copyTexts = false);
  // Frees the file's bytes of a schematic read with `copyTexts` (nothing
  // otherwise): everything above stays, but document() then answers no
  // node and where() names the file alone.
  void releaseFile();

  const std::string& path() const { return path_; }
  std::string_view uuid() const { return uuid_; }
  int version() const { return version_; }
  // The paper in millimetres, as drawn (portrait swaps the sides).
  double paperWidth() const { return paperWidth_; }
  double paperHeight() const { return paperHeight_; }
  const std::vector<KicadLibSymbol>& libSymbols() const { return libSymbols_; }
  // By name; null when the file embeds none of that name.
  const KicadLibSymbol* libSymbol(std::string_view name) const;
  const std::vector<KicadSymbol>& symbols() const { return symbols_; }
  const std::vector<KicadSheetBlock>& sheets() const { return sheets_; }
  // The title block's texts under the names of KiCad's text variables
  // (TITLE, ISSUE_DATE, REVISION, COMPANY, COMMENT1 to COMMENT9), each one
  // there even when the file gives none.
  const std::vector<std::pair<std::string_view, std::string_view>>& titleBlock() const { return titleBlock_; }
  // A root file's page table: sheet path ("/" root, "/<uuid>/..." below,
  // trailing '/' dropped) to page.
  std::string_view page(std::string_view sheetPath) const;
  // KiCad 6: a root file's instance table, by "/<sheet uuids>/<symbol uuid>".
  const KicadInstance* symbolInstance(std::string_view path) const;
  bool hasSymbolInstances() const { return !symbolInstances_.empty(); }
  // The size of the file in bytes: room enough for every text it holds.
  size_t byteCount() const { return byteCount_; }
  // "<path>:<line>:<column>" of a place in the file.
  std::string where(uint32_t offset) const;
  // The whole file as a tree, for a reader of what the listing leaves aside
  // (the drawing). The reading above keeps no tree: this one is built at
  // the first call, from the bytes already read and checked. No node when
  // the file holds more than the reader's bound on nodes, or once released.
  SexprView document() const;

 private:
  bool load(std::string& why, bool sheetOnly);
  bool checkTop(bool sheetOnly, bool& library, std::string& why) const;
  bool readItem(SexprView item, bool library, int& order, std::string& why);
  bool fail(uint32_t offset, const std::string& what, std::string& why) const;
  bool readPaper(SexprView paper, std::string& why);
  bool readLibSymbol(SexprView list, std::string& why);
  bool readSymbol(SexprView list, int order, std::string& why);
  bool readSheet(SexprView list, int order, std::string& why);
  bool readInstance(SexprView path, KicadInstance& out, std::string& why);
  bool readVariant(SexprView list, KicadVariantData& out, std::string& why);
  bool readFlag(SexprView item, KicadFlag& out, std::string& why) const;
  template <typename Number>  // double or int
  bool number(SexprView list, size_t i, Number& out, std::string& why) const;
  // A text of the file as the model keeps it.
  std::string_view keep(std::string_view text) { return copyTexts_ ? pool_.add(text) : text; }
  std::string_view keepUnique(std::string_view text) { return copyTexts_ ? pool_.addUnique(text) : text; }

  std::string path_;
  FileBytes bytes_;
  size_t byteCount_ = 0;
  bool copyTexts_ = false;
  bool released_ = false;
  KicadTextPool pool_;  // the texts, with copyTexts_
  SexprDocument doc_;   // the top-level list and its atoms; texts unescaped
  mutable std::unique_ptr<SexprDocument> whole_;  // document(), once asked for
  mutable bool wholeRead_ = false;
  std::string_view uuid_;
  int version_ = 0;
  double paperWidth_ = 297;
  double paperHeight_ = 210;
  std::vector<KicadLibSymbol> libSymbols_;
  std::unordered_map<std::string_view, size_t> libByName_;
  std::vector<KicadSymbol> symbols_;
  std::vector<KicadSheetBlock> sheets_;
  std::vector<std::pair<std::string_view, std::string_view>> titleBlock_;
  std::unordered_map<std::string_view, std::string_view> pages_;
  std::unordered_map<std::string_view, KicadInstance> symbolInstances_;
};

// A sheet path without its trailing '/' (the root's "/" becomes ""): the
// form the page and instance tables are kept in.
std::string_view trimSheetPath(std::string_view path);

}  // namespace comptab
