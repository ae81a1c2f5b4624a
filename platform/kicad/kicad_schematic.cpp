#include "platform/kicad/kicad_schematic.h"

#include <charconv>
#include <cmath>
#include <type_traits>
#include <utility>

#include "platform/support/text.h"

namespace comptab {

namespace {

// Well beyond any sheet KiCad writes, and the bound of comptab's other
// design readers. A file is read list by list and keeps no tree, so it
// costs its size and what the listing takes from it (about twice its size
// for a sheet of symbols alone), plus the nodes of its largest list, which
// the reader bounds at 128 MiB.
constexpr size_t kMaxFileBytes = size_t{1} << 30;

struct Paper {
  std::string_view name;
  double width;
  double height;
};

// The page sizes KiCad offers, landscape, in millimetres.
constexpr Paper kPapers[] = {
    {"A5", 210, 148},         {"A4", 297, 210},        {"A3", 420, 297},        {"A2", 594, 420},
    {"A1", 841, 594},         {"A0", 1189, 841},       {"A", 279.4, 215.9},     {"B", 431.8, 279.4},
    {"C", 558.8, 431.8},      {"D", 863.6, 558.8},     {"E", 1117.6, 863.6},    {"USLetter", 279.4, 215.9},
    {"USLegal", 355.6, 215.9}, {"USLedger", 431.8, 279.4}, {"GERBER", 812.8, 812.8},
};

// "NAME_U_S": the unit and body style from the right, since the name
// itself may hold '_'.
bool splitUnitName(std::string_view name, int& unit, int& style) {
  const size_t last = name.rfind('_');
  if (last == std::string_view::npos || last == 0) return false;
  const size_t before = name.rfind('_', last - 1);
  if (before == std::string_view::npos) return false;
  return parseInt(name.substr(before + 1, last - before - 1), unit) && parseInt(name.substr(last + 1), style) &&
         unit >= 0 && style >= 0;
}

// Calls `visit` on each (path ...) of `list` until it returns false.
template <typename Visit>
bool eachPath(SexprView list, const Visit& visit) {
  for (const SexprView path : list)
    if (path.isList() && path.head() == "path" && !visit(path)) return false;
  return true;
}

// The same over the (path ...) of every project of a KiCad 7+
// (instances (project "name" (path ...) ...) ...).
template <typename Visit>
bool eachInstancePath(SexprView instances, const Visit& visit) {
  for (const SexprView project : instances)
    if (project.isList() && project.head() == "project" && !eachPath(project, visit)) return false;
  return true;
}

}  // namespace

std::string_view trimSheetPath(std::string_view path) {
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  return path;
}

std::unique_ptr<KicadSchematic> KicadSchematic::read(const std::string& path, std::string* reason, bool sheetOnly,
                                                     bool copyTexts) {
  std::unique_ptr<KicadSchematic> file(new KicadSchematic());
  file->path_ = path;
  file->copyTexts_ = copyTexts;
  std::string why;
  bool ok = readFileBytes(path, kMaxFileBytes, 0, file->bytes_, &why);
  if (!ok) why = path + ": " + why;
  file->byteCount_ = file->bytes_.text().size();
  if (ok) ok = file->load(why, sheetOnly);
  if (ok) {
    file->pool_.endSharing();
    return file;
  }
  if (reason) *reason = why;
  return nullptr;
}

void KicadSchematic::releaseFile() {
  if (!copyTexts_ || released_) return;
  released_ = true;
  // The top-level atoms and the unescaped strings are the document's; the
  // model holds copies of what it took from them.
  doc_ = SexprDocument();
  whole_.reset();
  bytes_.release();
}

const KicadLibSymbol* KicadSchematic::libSymbol(std::string_view name) const {
  const auto found = libByName_.find(name);
  return found != libByName_.end() ? &libSymbols_[found->second] : nullptr;
}

std::string_view KicadSchematic::page(std::string_view sheetPath) const {
  const auto found = pages_.find(trimSheetPath(sheetPath));
  return found != pages_.end() ? found->second : std::string_view();
}

const KicadInstance* KicadSchematic::symbolInstance(std::string_view path) const {
  const auto found = symbolInstances_.find(path);
  return found != symbolInstances_.end() ? &found->second : nullptr;
}

SexprView KicadSchematic::document() const {
  if (!wholeRead_ && !released_) {
    wholeRead_ = true;
    whole_ = std::make_unique<SexprDocument>();
    if (!whole_->parse(bytes_.text())) whole_.reset();
  }
  return whole_ ? whole_->root() : SexprView();
}

std::string KicadSchematic::where(uint32_t offset) const {
  return released_ ? path_ : path_ + ":" + doc_.place(offset);
}

bool KicadSchematic::fail(uint32_t offset, const std::string& what, std::string& why) const {
  why = where(offset) + ": " + what;
  return false;
}

// The i-th element of `list` as a number, a whole one when `out` is an
// int; a missing one is reported at the list, which says what it should
// have held.
template <typename Number>
bool KicadSchematic::number(SexprView list, size_t i, Number& out, std::string& why) const {
  constexpr bool whole = std::is_same_v<Number, int>;
  const std::string_view kind = whole ? "a whole number" : "a number";  // for a failure only
  const SexprView atom = list.at(i);
  if (!atom.isValid() || atom.isList())
    return fail(atom.isValid() ? atom.offset() : list.offset(),
                "(" + std::string(list.head()) + " ...) lacks " + std::string(kind), why);
  const std::string_view text = atom.text();
  bool ok = false;
  if constexpr (whole) {
    ok = parseInt(text, out);
  } else {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, out);
    ok = !text.empty() && error == std::errc() && stop == end && std::isfinite(out);
  }
  if (!ok) return fail(atom.offset(), "expected " + std::string(kind) + ", found \"" + std::string(text) + "\"", why);
  return true;
}

// The file is read list by list: each list of the top-level list becomes
// what the listing needs as soon as it is closed, and its nodes are then
// dropped, so a sheet of any size holds no more than one symbol's tree at
// once. A fault of the text anywhere is still told before any other.
bool KicadSchematic::load(std::string& why, bool sheetOnly) {
  static constexpr std::string_view kTitleNames[] = {"TITLE",    "ISSUE_DATE", "REVISION", "COMPANY",  "COMMENT1",
                                                     "COMMENT2", "COMMENT3",   "COMMENT4", "COMMENT5", "COMMENT6",
                                                     "COMMENT7", "COMMENT8",   "COMMENT9"};
  for (const std::string_view name : kTitleNames) titleBlock_.emplace_back(name, std::string_view());
  bool checked = false;
  bool library = false;
  int order = 0;
  const auto item = [&](SexprView list) {
    if (!checked) {
      checked = true;
      if (!checkTop(sheetOnly, library, why)) return false;
    }
    return readItem(list, library, order, why);
  };
  bool textFailed = false;
  if (!doc_.parseItems(bytes_.text(), item, textFailed, &why)) {
    if (textFailed) why = path_ + ":" + why;
    return false;
  }
  return checked || checkTop(sheetOnly, library, why);
}

bool KicadSchematic::checkTop(bool sheetOnly, bool& library, std::string& why) const {
  const SexprView top = doc_.root();
  // A symbol library holds library symbols where a schematic places them.
  library = top.head() == "kicad_symbol_lib" && !sheetOnly;
  if (top.head() != "kicad_sch" && !library)
    return fail(top.offset(), "not a KiCad schematic: the file starts with (" + std::string(top.head()) + " ...)", why);
  return true;
}

bool KicadSchematic::readItem(SexprView item, bool library, int& order, std::string& why) {
  const std::string_view head = item.head();
  if (head == "version") {
    if (!number(item, 1, version_, why)) return false;
  } else if (head == "uuid") {
    uuid_ = keep(item.textAt(1));
  } else if (head == "paper") {
    if (!readPaper(item, why)) return false;
  } else if (head == "title_block") {
    for (const SexprView entry : item) {
      if (!entry.isList()) continue;
      const std::string_view name = entry.head();
      size_t slot = 99;
      if (name == "title") slot = 0;
      if (name == "date") slot = 1;
      if (name == "rev") slot = 2;
      if (name == "company") slot = 3;
      int number = 0;
      if (name == "comment" && parseInt(entry.textAt(1), number) && number >= 1 && number <= 9) {
        titleBlock_[3 + static_cast<size_t>(number)].second = keep(entry.textAt(2));
      } else if (slot < 4) {
        titleBlock_[slot].second = keep(entry.textAt(1));
      }
    }
  } else if (head == "lib_symbols") {
    for (const SexprView symbol : item)
      if (symbol.isList() && symbol.head() == "symbol" && !readLibSymbol(symbol, why)) return false;
  } else if (head == "symbol") {
    if (!(library ? readLibSymbol(item, why) : readSymbol(item, ++order, why))) return false;
  } else if (head == "sheet") {
    if (!readSheet(item, ++order, why)) return false;
  } else if (head == "sheet_instances") {
    eachPath(item, [&](SexprView path) {
      pages_[keep(trimSheetPath(path.textAt(1)))] = keep(path.find("page").textAt(1));
      return true;
    });
  } else if (head == "symbol_instances") {
    const bool ok = eachPath(item, [&](SexprView path) {
      KicadInstance instance;
      if (!readInstance(path, instance, why)) return false;
      symbolInstances_[keep(path.textAt(1))] = instance;
      return true;
    });
    if (!ok) return false;
  }
  return true;
}

bool KicadSchematic::readPaper(SexprView paper, std::string& why) {
  const std::string_view name = paper.textAt(1);
  bool known = false;
  if (name == "User") {
    known = number(paper, 2, paperWidth_, why) && number(paper, 3, paperHeight_, why);
    if (!known) return false;
  } else {
    for (const Paper& p : kPapers) {
      if (p.name != name) continue;
      paperWidth_ = p.width;
      paperHeight_ = p.height;
      known = true;
    }
  }
  if (!known) return fail(paper.offset(), "unknown paper size \"" + std::string(name) + "\"", why);
  if (paperWidth_ <= 0 || paperHeight_ <= 0 || paperWidth_ > 100000 || paperHeight_ > 100000)
    return fail(paper.offset(), "the paper size is out of range", why);
  for (const SexprView word : paper)
    if (!word.isList() && word.text() == "portrait") std::swap(paperWidth_, paperHeight_);
  return true;
}

bool KicadSchematic::readLibSymbol(SexprView list, std::string& why) {
  KicadLibSymbol symbol;
  symbol.name = keep(list.textAt(1));
  if (symbol.name.empty()) return fail(list.offset(), "a library symbol without a name", why);
  int highest = 0;
  const auto addPins = [&](SexprView holder, int unit, int style) {
    for (const SexprView pin : holder) {
      if (!pin.isList() || pin.head() != "pin") continue;
      symbol.pins.push_back({keep(pin.find("number").textAt(1)), unit, style});
    }
  };
  for (const SexprView item : list) {
    if (!item.isList()) continue;
    const std::string_view head = item.head();
    if (head == "power") {
      symbol.power = true;
    } else if (head == "property") {
      const std::string_view name = item.textAt(1);
      if (name == "Description" || name == "ki_description") symbol.description = keep(item.textAt(2));
      if (name == "ki_keywords") symbol.keywords = keep(item.textAt(2));
    } else if (head == "extends") {
      symbol.extends = keep(item.textAt(1));
    } else if (head == "symbol") {
      int unit = 0;
      int style = 0;
      if (!splitUnitName(item.textAt(1), unit, style))
        return fail(item.offset(), "the unit \"" + std::string(item.textAt(1)) + "\" of \"" +
                                       std::string(symbol.name) + "\" is not named NAME_UNIT_STYLE",
                    why);
      if (unit > highest) highest = unit;
      addPins(item, unit, style);
    }
  }
  addPins(list, 0, 0);
  symbol.unitCount = highest > 1 ? highest : 1;
  libByName_.emplace(symbol.name, libSymbols_.size());
  libSymbols_.push_back(std::move(symbol));
  return true;
}

bool KicadSchematic::readFlag(SexprView item, KicadFlag& out, std::string& why) const {
  const std::string_view word = item.textAt(1);
  if (word == "yes" || !item.at(1).isValid()) {
    out = KicadFlag::Yes;  // a bare (dnp) means yes
  } else if (word == "no") {
    out = KicadFlag::No;
  } else {
    return fail(item.offset(), "expected yes or no, found \"" + std::string(word) + "\"", why);
  }
  return true;
}

bool KicadSchematic::readVariant(SexprView list, KicadVariantData& out, std::string& why) {
  for (const SexprView item : list) {
    if (!item.isList()) continue;
    const std::string_view head = item.head();
    bool ok = true;
    if (head == "name") {
      out.name = keep(item.textAt(1));
    } else if (head == "dnp") {
      ok = readFlag(item, out.dnp, why);
    } else if (head == "in_bom") {
      ok = readFlag(item, out.inBom, why);
    } else if (head == "on_board") {
      ok = readFlag(item, out.onBoard, why);
    } else if (head == "exclude_from_sim") {
      ok = readFlag(item, out.excludeFromSim, why);
    } else if (head == "in_pos_files") {
      ok = readFlag(item, out.inPosFiles, why);
    } else if (head == "field") {
      const std::string_view name = item.find("name").textAt(1);
      if (name.empty()) return fail(item.offset(), "a variant's field without a name", why);
      out.fields.push_back({keep(name), keep(item.find("value").textAt(1))});
    }
    if (!ok) return false;
  }
  if (out.name.empty()) return fail(list.offset(), "a (variant ...) without a name", why);
  return true;
}

bool KicadSchematic::readInstance(SexprView path, KicadInstance& out, std::string& why) {
  for (const SexprView item : path) {
    if (!item.isList()) continue;
    const std::string_view head = item.head();
    if (head == "reference") {
      out.reference = keep(item.textAt(1));
    } else if (head == "unit") {
      if (!number(item, 1, out.unit, why)) return false;
    } else if (head == "value") {
      out.hasValue = true;
      out.value = keep(item.textAt(1));
    } else if (head == "footprint") {
      out.hasFootprint = true;
      out.footprint = keep(item.textAt(1));
    } else if (head == "variant") {
      if (!readVariant(item, out.variants.emplace_back(), why)) return false;
    }
  }
  return true;
}

bool KicadSchematic::readSymbol(SexprView list, int order, std::string& why) {
  KicadSymbol symbol;
  symbol.offset = list.offset();
  symbol.order = order;
  const auto flag = [&](SexprView item, KicadFlag& out) { return readFlag(item, out, why); };
  for (const SexprView item : list) {
    if (!item.isList()) continue;
    const std::string_view head = item.head();
    bool ok = true;
    if (head == "lib_id") {
      symbol.libId = keep(item.textAt(1));
    } else if (head == "lib_name") {
      symbol.libName = keep(item.textAt(1));
    } else if (head == "uuid") {
      symbol.uuid = keepUnique(item.textAt(1));
    } else if (head == "at") {
      ok = number(item, 1, symbol.x, why) && number(item, 2, symbol.y, why) &&
           (!item.at(3).isValid() || number(item, 3, symbol.angle, why));
    } else if (head == "mirror") {
      symbol.mirror = true;
    } else if (head == "unit") {
      ok = number(item, 1, symbol.unit, why);
    } else if (head == "convert" || head == "body_style") {
      ok = number(item, 1, symbol.style, why);
    } else if (head == "in_bom") {
      ok = flag(item, symbol.inBom);
    } else if (head == "on_board") {
      ok = flag(item, symbol.onBoard);
    } else if (head == "dnp") {
      ok = flag(item, symbol.dnp);
    } else if (head == "exclude_from_sim") {
      ok = flag(item, symbol.excludeFromSim);
    } else if (head == "property") {
      const std::string_view name = item.textAt(1);
      if (name.empty()) return fail(item.offset(), "a field without a name", why);
      symbol.fields.push_back({keep(name), keep(item.textAt(2))});
    } else if (head == "instances") {
      ok = eachInstancePath(item, [&](SexprView path) {
        KicadInstance instance;
        if (!readInstance(path, instance, why)) return false;
        symbol.instances.emplace_back(keep(trimSheetPath(path.textAt(1))), instance);
        return true;
      });
    }
    if (!ok) return false;
  }
  if (symbol.libId.empty()) return fail(list.offset(), "a placed symbol without a lib_id", why);
  symbols_.push_back(std::move(symbol));
  return true;
}

bool KicadSchematic::readSheet(SexprView list, int order, std::string& why) {
  KicadSheetBlock sheet;
  sheet.offset = list.offset();
  sheet.order = order;
  bool hasFile = false;
  for (const SexprView item : list) {
    if (!item.isList()) continue;
    const std::string_view head = item.head();
    if (head == "uuid") {
      sheet.uuid = keepUnique(item.textAt(1));
    } else if (head == "at") {
      if (!number(item, 1, sheet.x, why) || !number(item, 2, sheet.y, why)) return false;
    } else if (head == "property") {
      // KiCad 6 names the two fields in the user's language; their ids say
      // which they are.
      const std::string_view name = item.textAt(1);
      const std::string_view id = item.find("id").textAt(1);
      if (id == "0" || name == "Sheetname" || name == "Sheet name") {
        sheet.name = keep(item.textAt(2));
      } else if (id == "1" || name == "Sheetfile" || name == "Sheet file") {
        sheet.file = keep(item.textAt(2));
        hasFile = true;
      } else if (!name.empty()) {
        sheet.userFields.push_back({keep(name), keep(item.textAt(2))});
      }
    } else if (head == "in_bom") {
      if (!readFlag(item, sheet.inBom, why)) return false;
    } else if (head == "on_board") {
      if (!readFlag(item, sheet.onBoard, why)) return false;
    } else if (head == "dnp") {
      if (!readFlag(item, sheet.dnp, why)) return false;
    } else if (head == "exclude_from_sim") {
      if (!readFlag(item, sheet.excludeFromSim, why)) return false;
    } else if (head == "instances") {
      const bool ok = eachInstancePath(item, [&](SexprView path) {
        const std::string_view at = keep(trimSheetPath(path.textAt(1)));
        sheet.pages.emplace_back(at, keep(path.find("page").textAt(1)));
        std::vector<KicadVariantData> variants;
        for (const SexprView variant : path) {
          if (!variant.isList() || variant.head() != "variant") continue;
          if (!readVariant(variant, variants.emplace_back(), why)) return false;
        }
        if (!variants.empty()) sheet.variants.emplace_back(at, std::move(variants));
        return true;
      });
      if (!ok) return false;
    }
  }
  if (!hasFile || sheet.file.empty()) return fail(list.offset(), "a sheet block that names no sheet file", why);
  sheets_.push_back(std::move(sheet));
  return true;
}

}  // namespace comptab
