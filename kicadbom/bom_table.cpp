#include "kicadbom/bom_table.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <deque>
#include <set>
#include <string_view>
#include <unordered_map>

#include "kicadbom/bom_text.h"
#include "platform/support/pattern.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// What KiCad shows where the rows of a group differ, when it sorts by it.
constexpr std::string_view kMixedValues = "-- mixed values --";

enum class ColumnKind { Reference, Quantity, ItemNumber, Dnp, ExcludeFromBom, ExcludeFromBoard, ExcludeFromSim, Field };

struct Column {
  std::string name;
  std::string label;
  bool show = false;
  bool group = false;
  ColumnKind kind = ColumnKind::Field;
};

ColumnKind kindOf(std::string_view name) {
  if (name == "Reference") return ColumnKind::Reference;
  if (name == "${QUANTITY}") return ColumnKind::Quantity;
  if (name == "${ITEM_NUMBER}") return ColumnKind::ItemNumber;
  if (name == "${DNP}") return ColumnKind::Dnp;
  if (name == "${EXCLUDE_FROM_BOM}") return ColumnKind::ExcludeFromBom;
  if (name == "${EXCLUDE_FROM_BOARD}") return ColumnKind::ExcludeFromBoard;
  if (name == "${EXCLUDE_FROM_SIM}") return ColumnKind::ExcludeFromSim;
  return ColumnKind::Field;
}

bool isAttribute(ColumnKind kind) {
  return kind == ColumnKind::Dnp || kind == ColumnKind::ExcludeFromBom || kind == ColumnKind::ExcludeFromBoard ||
         kind == ColumnKind::ExcludeFromSim;
}

// A unit that is listed, with its reference split once.
struct Listed {
  const BomUnit* unit;
  SplitReference split;  // views into the unit's reference
  // Prefix and number, no unit letter: "R12", "R?". The reference itself
  // where that is what it reads, else a text the builder keeps.
  std::string_view fullRef;
  // For a reference of ASCII letters and one to nine digits ("R12", "c7"),
  // which naturalCompare orders by its upper-cased letters, then by its
  // number: the letters' rank among such prefixes << 32 | the number, set
  // by sortRows. 0 for any other reference.
  uint64_t sortKey = 0;
};

// The upper-cased letters of a reference of letters and one to nine digits
// and its number; false for any other reference.
bool simpleReference(std::string_view ref, std::string& letters, uint32_t& number) {
  size_t i = 0;
  letters.clear();
  while (i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) {
    letters += static_cast<char>(ref[i] >= 'a' ? ref[i] - 32 : ref[i]);
    ++i;
  }
  if (i == 0 || i == ref.size() || ref.size() - i > 9) return false;
  number = 0;
  for (; i < ref.size(); ++i) {
    if (ref[i] < '0' || ref[i] > '9') return false;
    number = number * 10 + static_cast<uint32_t>(ref[i] - '0');
  }
  return true;
}

// A row is a run of members_: the listed units that share it, sorted by
// reference; `shown` marks the first unit of each part among them, which
// the references and the quantity count once.
struct Row {
  uint32_t begin = 0;
  uint32_t end = 0;
  uint32_t shownCount = 0;
};

void appendField(std::string& out, std::string_view text, bool last, const KicadBomFormat& format);

// The first row of each part reference: open addressing over row ids
// (a map's node per row cost more than the rest of the grouping).
class PartIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;
  explicit PartIndex(size_t rows) {
    size_t capacity = 16;
    while (capacity < 2 * rows) capacity <<= 1;
    slots_.assign(capacity, kNone);
    keys_.reserve(rows);
  }
  uint32_t find(std::string_view key) const {
    for (size_t at = start(key);; at = (at + 1) & (slots_.size() - 1)) {
      if (slots_[at] == kNone || keys_[slots_[at]] == key) return slots_[at];
    }
  }
  // Row ids are given in order, 0, 1, 2...; a key already held keeps its first row.
  void add(std::string_view key) {
    const auto row = static_cast<uint32_t>(keys_.size());
    keys_.push_back(key);
    for (size_t at = start(key);; at = (at + 1) & (slots_.size() - 1)) {
      if (slots_[at] == kNone) {
        slots_[at] = row;
        return;
      }
      if (keys_[slots_[at]] == key) return;
    }
  }

 private:
  size_t start(std::string_view key) const { return std::hash<std::string_view>()(key) & (slots_.size() - 1); }
  std::vector<uint32_t> slots_;
  std::vector<std::string_view> keys_;  // by row
};

class BomBuilder {
 public:
  BomBuilder(const std::vector<BomUnit>& units, const KicadBomPreset& preset, const KicadBomFormat& format,
             const BomVariables& variables)
      : units_(units), preset_(preset), format_(format), variables_(variables) {}

  BomRows build() {
    setColumns();
    listUnits();
    formRows();
    sortRows();
    return table();
  }

  // The file's text, written row by row (no table of copies first).
  std::string text() {
    setColumns();
    listUnits();
    formRows();
    sortRows();
    std::string out;
    const std::vector<size_t> shown = shownColumns();
    if (shown.empty()) return out;
    for (size_t c = 0; c < shown.size(); ++c)
      appendField(out, columns_[shown[c]].label, c + 1 == shown.size(), format_);
    // Room for all rows at half as much again as the first ones took: a
    // string grown by doubling copies itself and holds both copies at once
    // (pages reserved and never written cost nothing). The first rows are
    // only a sample: a few long fields among them would ask for far more
    // than the file needs, so the room is capped and doubling takes over
    // beyond it.
    constexpr size_t kSampleRows = 64;
    constexpr size_t kMaxRoom = size_t{256} << 20;
    size_t written = 0;
    const size_t header = out.size();
    forEachRow(shown, [&](const Row&, const std::vector<std::string_view>& cells) {
      for (size_t c = 0; c < cells.size(); ++c) appendField(out, cells[c], c + 1 == cells.size(), format_);
      if (++written == kSampleRows && order_.size() > 2 * kSampleRows) {
        const size_t perRow = (out.size() - header) / kSampleRows;
        const size_t rest = order_.size() - kSampleRows;
        const size_t room = perRow > kMaxRoom / rest ? kMaxRoom : std::min(kMaxRoom, perRow * rest * 3 / 2);
        out.reserve(out.size() + room);
      }
    });
    return out;
  }

 private:
  void setColumns() {
    std::set<std::string, std::less<>> seen;
    for (const KicadBomField& field : preset_.fields) {
      if (field.name.empty() || !seen.insert(field.name).second) continue;
      columns_.push_back({field.name, field.label, field.show, field.groupBy, kindOf(field.name)});
    }
    for (size_t i = 0; i < columns_.size(); ++i)
      if (columns_[i].group) grouped_.push_back(i);
    // A sort field that is not among the preset's fields still sorts when
    // it is a column KiCad knows (its own fields, the generated ones, or a
    // field some symbol has); otherwise the reference sorts.
    sortColumn_.name = preset_.sortField;
    sortColumn_.kind = kindOf(preset_.sortField);
    if (sortColumn_.kind == ColumnKind::Field && !seen.count(preset_.sortField) && !knownField(preset_.sortField))
      sortColumn_ = {"Reference", "", false, false, ColumnKind::Reference};
  }

  bool knownField(std::string_view name) const {
    static constexpr std::string_view kMandatory[] = {"Value", "Footprint", "Datasheet", "Description"};
    for (std::string_view m : kMandatory)
      if (name == m) return true;
    for (const BomUnit& unit : units_)
      for (const KicadFieldView& field : unit.fields)
        if (field.name == name) return true;
    return false;
  }

  void listUnits() {
    const std::string filter = lowerAscii(preset_.filter);
    std::unique_ptr<Pattern> regex;
    if (!filter.empty()) {
      std::string explicitRegex;
      bool hasRegex = false;
      if (filter.size() >= 2 && filter.front() == '^' && filter.back() == '$') {
        explicitRegex = filter;
        hasRegex = true;
      } else if (filter.front() == '/') {
        explicitRegex = filter.substr(1);
        if (!explicitRegex.empty() && explicitRegex.back() == '/') explicitRegex.pop_back();
        hasRegex = true;
      }
      if (hasRegex) {
        regex = std::make_unique<Pattern>(explicitRegex);
        if (!regex->ok()) regex.reset();
      }
    }
    listed_.reserve(units_.size());
    for (const BomUnit& unit : units_) {
      if (!filter.empty()) {
        const std::string candidate =
            lowerAscii(std::string(unit.reference) + (unit.multiUnit ? unitLetter(unit.unit) : std::string()));
        if (!wildcardFound(filter, candidate) && !(regex && regex->matches(candidate))) continue;
      }
      if (preset_.excludeDnp && unit.attributes.dnp) continue;
      if (!preset_.includeExcludedFromBom && !unit.attributes.inBom) continue;
      Listed& listed = listed_.emplace_back(Listed{&unit, splitReference(unit.reference), {}});
      const SplitReference& split = listed.split;
      if (split.digits.data() == split.prefix.data() + split.prefix.size() && split.prefix.data() == unit.reference.data())
        listed.fullRef = std::string_view(split.prefix.data(), split.prefix.size() + split.digits.size());
      else
        listed.fullRef = joined_.emplace_back(std::string(split.prefix) + std::string(split.digits));
    }
  }

  // The text a unit gives a column, as KiCad writes it into the file: a
  // view of the unit's field, or of `scratch` when made here.
  std::string_view cell(const BomUnit& unit, const Column& column, std::string& scratch) const {
    switch (column.kind) {
      case ColumnKind::Dnp: return unit.attributes.dnp ? "DNP" : "";
      case ColumnKind::ExcludeFromBom: return unit.attributes.inBom ? "" : "Excluded from BOM";
      case ColumnKind::ExcludeFromBoard: return unit.attributes.onBoard ? "" : "Excluded from board";
      case ColumnKind::ExcludeFromSim: return unit.attributes.excludeFromSim ? "Excluded from simulation" : "";
      default: break;
    }
    for (const KicadFieldView& field : unit.fields)
      if (field.name == column.name) return field.value;
    if (isGeneratedField(column.name)) return scratch = resolveVariable(unit, column.name);
    return {};
  }

  std::string resolveVariable(const BomUnit& unit, const std::string& name) const {
    const std::string_view token = std::string_view(name).substr(2, name.size() - 3);
    if (token == "REFERENCE") return std::string(unit.reference) + (unit.multiUnit ? unitLetter(unit.unit) : std::string());
    if (token == "UNIT") return unitLetter(unit.unit);
    if (token == "#" || token == "##") return {};
    const size_t colon = unit.libId.find(':');
    if (token == "SYMBOL_NAME" && !unit.libId.empty())
      return std::string(colon == std::string_view::npos ? unit.libId : unit.libId.substr(colon + 1));
    if (token == "SYMBOL_LIBRARY" && !unit.libId.empty())
      return std::string(colon == std::string_view::npos ? std::string_view() : unit.libId.substr(0, colon));
    if (unit.sheet) {
      if (token == "SHEETNAME") return unit.sheet->name;
      if (token == "SHEETPATH") return unit.sheet->path;
      if (token == "SHEETFILE") return unit.sheet->file;
    }
    if (token == "FILENAME" && !variables_.rootFile.empty()) return variables_.rootFile;
    if (token == "PROJECTNAME" && !variables_.projectName.empty()) return variables_.projectName;
    for (const KicadFieldView& field : unit.fields)
      if (upperAscii(field.name) == token) return std::string(field.value);
    if (variables_.project)
      for (const KicadNamedValue& variable : *variables_.project)
        if (variable.name == token) return variable.value;
    return name;
  }

  // KiCad groups by a field's text as written, unless that text is one
  // variable alone ("${MPN}"), when it groups by what the variable gives:
  // two "${SIM.PARAMS}" group whatever they expand to.
  std::string_view groupText(const BomUnit& unit, const Column& column, std::string& scratch) const {
    if (column.kind == ColumnKind::Field)
      for (const KicadFieldView& field : unit.written)
        if (field.name == column.name && !isOneVariable(field.value)) return field.value;
    return cell(unit, column, scratch);
  }

  static bool isOneVariable(std::string_view text) {
    if (text.size() < 3 || !text.starts_with("${") || text.back() != '}') return false;
    for (const char c : text.substr(2, text.size() - 3))
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
  }

  std::string groupKey(const Listed& listed) const {
    std::string key;
    std::string scratch;
    for (size_t i : grouped_) {
      const Column& column = columns_[i];
      const std::string_view value = column.kind == ColumnKind::Reference
                                         ? std::string_view(listed.split.prefix)
                                         : groupText(*listed.unit, column, scratch);
      key += std::to_string(value.size());
      key += ':';
      key += value;
    }
    return key;
  }

  void formRows() {
    const bool grouping = preset_.groupSymbols;
    const bool groupMatches = grouping && !grouped_.empty();
    // Without grouping only the units of a part of several join a row: with
    // none of them, every unit is a row of its own, in order.
    const bool joining =
        grouping || std::any_of(listed_.begin(), listed_.end(), [](const Listed& l) { return l.unit->multiUnit; });
    if (!joining) {
      rows_.resize(listed_.size());
      members_.resize(listed_.size());
      for (uint32_t i = 0; i < listed_.size(); ++i) {
        rows_[i] = {i, i + 1, 0};
        members_[i] = i;
      }
      return;
    }
    PartIndex byPart(listed_.size());
    std::unordered_map<std::string, uint32_t> byGroup;
    if (groupMatches) byGroup.reserve(listed_.size());
    std::vector<uint32_t> rowOf(listed_.size());
    std::vector<uint32_t> sizes;
    for (uint32_t i = 0; i < listed_.size(); ++i) {
      const Listed& listed = listed_[i];
      const bool annotated = listed.split.digits != "?";
      std::string key = groupMatches ? groupKey(listed) : std::string();
      // KiCad puts a unit into the first row whose first unit is the same
      // part or, when grouping, has the same group-by fields.
      uint32_t target = UINT32_MAX;
      if (grouping || listed.unit->multiUnit) {
        if (annotated) target = byPart.find(listed.fullRef);
        if (groupMatches) {
          const auto group = byGroup.find(key);
          if (group != byGroup.end()) target = std::min(target, group->second);
        }
      }
      if (target == UINT32_MAX) {
        target = static_cast<uint32_t>(sizes.size());
        sizes.push_back(0);
        byPart.add(listed.fullRef);
        if (groupMatches) byGroup.emplace(std::move(key), target);
      }
      rowOf[i] = target;
      ++sizes[target];
    }
    rows_.resize(sizes.size());
    uint32_t at = 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
      rows_[r].begin = rows_[r].end = at;
      at += sizes[r];
    }
    members_.resize(listed_.size());
    for (uint32_t i = 0; i < listed_.size(); ++i) members_[rows_[rowOf[i]].end++] = i;
  }

  // The value a row sorts by: the column's one value, or KiCad's words for
  // differing ones; attributes sort by 1 and 0.
  std::string sortValue(const Row& row) const {
    switch (sortColumn_.kind) {
      case ColumnKind::Quantity: return std::to_string(row.shownCount);
      case ColumnKind::ItemNumber: return "0";
      default: break;
    }
    std::string first;
    std::string scratch;
    for (uint32_t k = row.begin; k < row.end; ++k) {
      const BomUnit& unit = *listed_[members_[k]].unit;
      std::string_view value = cell(unit, sortColumn_, scratch);
      if (isAttribute(sortColumn_.kind)) value = value.empty() ? "0" : "1";
      if (k == row.begin)
        first = value;
      else if (value != first)
        return std::string(kMixedValues);
    }
    return first;
  }

  // naturalCompare of two references: by their keys when both have one
  // (the same order, letters then number, made once a unit).
  int compareRefs(const Listed& a, const Listed& b) const {
    if (a.sortKey != 0 && b.sortKey != 0) return a.sortKey < b.sortKey ? -1 : a.sortKey > b.sortKey ? 1 : 0;
    return naturalCompare(a.fullRef, b.fullRef, true);
  }

  void setSortKeys() {
    std::vector<std::pair<std::string, uint32_t>> letters;  // distinct prefixes, then their ranks
    std::unordered_map<std::string, uint32_t> prefixOf;
    std::string text;
    // First the prefix's id + 1 in the high half, then its rank + 1.
    for (Listed& listed : listed_) {
      uint32_t number = 0;
      if (!simpleReference(listed.fullRef, text, number)) continue;
      const auto [at, added] = prefixOf.emplace(text, static_cast<uint32_t>(letters.size()));
      if (added) letters.emplace_back(text, 0);
      listed.sortKey = uint64_t{at->second + 1} << 32 | number;
    }
    std::vector<uint32_t> byText(letters.size());
    for (uint32_t p = 0; p < byText.size(); ++p) byText[p] = p;
    std::sort(byText.begin(), byText.end(), [&](uint32_t a, uint32_t b) { return letters[a].first < letters[b].first; });
    for (uint32_t rank = 0; rank < byText.size(); ++rank) letters[byText[rank]].second = rank + 1;
    for (Listed& listed : listed_)
      if (listed.sortKey != 0)
        listed.sortKey = uint64_t{letters[(listed.sortKey >> 32) - 1].second} << 32 | (listed.sortKey & 0xffffffffu);
  }

  void sortRows() {
    setSortKeys();
    auto refLess = [this](uint32_t a, uint32_t b) { return compareRefs(listed_[a], listed_[b]) < 0; };
    shown_.assign(members_.size(), 0);
    for (Row& row : rows_) {
      std::sort(members_.begin() + row.begin, members_.begin() + row.end, refLess);
      // The units of one part count once; unannotated ones cannot be told
      // apart, so each stays.
      uint32_t last = row.begin;
      for (uint32_t k = row.begin; k < row.end; ++k) {
        const Listed& kept = listed_[members_[last]];
        if (k == row.begin || kept.split.digits == "?" || kept.fullRef != listed_[members_[k]].fullRef) {
          shown_[k] = 1;
          ++row.shownCount;
          last = k;
        }
      }
    }
    const bool byReference = sortColumn_.kind == ColumnKind::Reference;
    std::vector<std::string> texts;
    std::vector<ValueKey> keys;
    if (!byReference) {
      texts.reserve(rows_.size());
      keys.reserve(rows_.size());
      for (const Row& row : rows_) {
        texts.emplace_back(trimBlanks(sortValue(row)));
        keys.push_back(valueKey(texts.back()));
      }
    }
    order_.resize(rows_.size());
    for (uint32_t r = 0; r < order_.size(); ++r) order_[r] = r;
    // Each row's first unit and its key, at hand for the comparisons.
    std::vector<const Listed*> heads(rows_.size());
    std::vector<uint64_t> headKeys(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
      heads[r] = &listed_[members_[rows_[r].begin]];
      headKeys[r] = heads[r]->sortKey;
    }
    const auto refOrder = [&](uint32_t l, uint32_t r) {
      if (headKeys[l] != 0 && headKeys[r] != 0) return headKeys[l] < headKeys[r] ? -1 : headKeys[l] > headKeys[r] ? 1 : 0;
      return compareRefs(*heads[l], *heads[r]);
    };
    const bool ascending = preset_.sortAsc;
    std::sort(order_.begin(), order_.end(), [&](uint32_t l, uint32_t r) {
      const int c = byReference || texts[l] == texts[r] ? refOrder(l, r) : compareValueKeys(keys[l], keys[r]);
      return ascending ? c < 0 : c > 0;
    });
  }

  std::vector<size_t> shownColumns() const {
    std::vector<size_t> shown;
    for (size_t i = 0; i < columns_.size(); ++i)
      if (columns_[i].show) shown.push_back(i);
    return shown;
  }

  BomRows table() const {
    BomRows out;
    const std::vector<size_t> shown = shownColumns();
    if (shown.empty()) return out;
    for (size_t i : shown) out.labels.push_back(columns_[i].label);
    out.rows.reserve(order_.size());
    forEachRow(shown, [&](const Row& row, const std::vector<std::string_view>& cells) {
      BomRows::Row& line = out.rows.emplace_back();
      for (uint32_t k = row.begin; k < row.end; ++k)
        if (shown_[k]) line.references.emplace_back(listed_[members_[k]].fullRef);
      line.cells.assign(cells.begin(), cells.end());
    });
    return out;
  }

  // Each row in the order written, with its shown cells: views valid
  // until the next row.
  template <typename Emit>
  void forEachRow(const std::vector<size_t>& shown, Emit&& emit) const {
    std::vector<std::string> scratch(shown.size());
    std::vector<std::string_view> cells(shown.size());
    std::vector<const SplitReference*> refs;
    for (size_t r = 0; r < order_.size(); ++r) {
      const Row& row = rows_[order_[r]];
      for (size_t c = 0; c < shown.size(); ++c) {
        const Column& column = columns_[shown[c]];
        std::string& text = scratch[c];
        switch (column.kind) {
          case ColumnKind::Reference:
            refs.clear();
            for (uint32_t k = row.begin; k < row.end; ++k)
              if (shown_[k]) refs.push_back(&listed_[members_[k]].split);
            cells[c] = text = referenceRanges(refs, format_.refDelimiter, format_.refRangeDelimiter);
            break;
          case ColumnKind::Quantity: cells[c] = text = std::to_string(row.shownCount); break;
          case ColumnKind::ItemNumber: cells[c] = text = std::to_string(r + 1); break;
          default: cells[c] = joinedValues(row, column, text); break;
        }
      }
      emit(row, cells);
    }
  }

  // Every different value of the row's units, in order, empty ones left
  // out, joined by commas: how KiCad writes a column the rows differ in.
  std::string_view joinedValues(const Row& row, const Column& column, std::string& scratch) const {
    if (row.end - row.begin == 1) return cell(*listed_[members_[row.begin]].unit, column, scratch);
    std::set<std::string, std::less<>> values;
    for (uint32_t k = row.begin; k < row.end; ++k) {
      const std::string_view value = cell(*listed_[members_[k]].unit, column, scratch);
      if (values.find(value) == values.end()) values.emplace(value);
    }
    scratch.clear();
    for (const std::string& value : values) {
      if (value.empty()) continue;
      if (!scratch.empty()) scratch += ',';
      scratch += value;
    }
    return scratch;
  }

  const std::vector<BomUnit>& units_;
  const KicadBomPreset& preset_;
  const KicadBomFormat& format_;
  const BomVariables& variables_;
  std::vector<Column> columns_;
  std::vector<size_t> grouped_;
  Column sortColumn_;
  std::vector<Listed> listed_;
  std::deque<std::string> joined_;  // the few references a unit's own text does not spell
  std::vector<Row> rows_;
  std::vector<uint32_t> members_;  // listed units, row after row
  std::vector<uint8_t> shown_;     // per member: the first of its part in the row
  std::vector<uint32_t> order_;    // rows in the order written
};

// One field as the file holds it: between string delimiters (doubled
// within), tabs and line breaks dropped unless kept, then the field
// delimiter or the end of the line.
void appendField(std::string& out, std::string_view text, bool last, const KicadBomFormat& format) {
  const std::string& quote = format.stringDelimiter;
  out += quote;
  // Most fields hold nothing to drop or double: copied whole.
  bool plain = true;
  if (quote.size() == 1) {
    const char q = quote[0];
    for (const char c : text) plain = plain && c != '\r' && c != '\n' && c != '\t' && c != q;
  } else {
    for (const char c : text) plain = plain && c != '\r' && c != '\n' && c != '\t';
    plain = plain && (quote.empty() || text.find(quote) == std::string_view::npos);
  }
  if (plain) {
    out += text;
    out += quote;
    out += last ? std::string_view("\n") : std::string_view(format.fieldDelimiter);
    return;
  }
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if ((c == '\r' || c == '\n') && !format.keepLineBreaks) {
      ++i;
      continue;
    }
    if (c == '\t' && !format.keepTabs) {
      ++i;
      continue;
    }
    if (!quote.empty() && text.compare(i, quote.size(), quote) == 0) {
      out += quote;
      out += quote;
      i += quote.size();
      continue;
    }
    out += c;
    ++i;
  }
  out += quote;
  out += last ? std::string_view("\n") : std::string_view(format.fieldDelimiter);
}

}  // namespace

std::span<const KicadFieldView> BomUnitList::keep(const std::vector<KicadFieldView>& fields) {
  if (fields.empty()) return {};
  if (used_ + fields.size() > size_) {
    size_ = std::max<size_t>(4096, fields.size());
    blocks_.push_back(std::make_unique<KicadFieldView[]>(size_));
    used_ = 0;
  }
  KicadFieldView* at = blocks_.back().get() + used_;
  std::copy(fields.begin(), fields.end(), at);
  used_ += fields.size();
  return {at, fields.size()};
}

bool isGeneratedField(std::string_view name) {
  if (name.size() < 3 || name.substr(0, 2) != "${" || name.back() != '}') return false;
  for (char c : name.substr(2, name.size() - 3))
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

BomRows buildBomRows(const std::vector<BomUnit>& units, const KicadBomPreset& preset, const KicadBomFormat& format,
                     const BomVariables& variables) {
  return BomBuilder(units, preset, format, variables).build();
}

std::string bomText(const BomRows& rows, const KicadBomFormat& format) {
  std::string out;
  if (rows.labels.empty()) return out;
  const size_t last = rows.labels.size() - 1;
  for (size_t i = 0; i <= last; ++i) appendField(out, rows.labels[i], i == last, format);
  for (const BomRows::Row& row : rows.rows)
    for (size_t i = 0; i <= last; ++i) appendField(out, row.cells[i], i == last, format);
  return out;
}

std::string bomCellText(std::string_view text, const KicadBomFormat& format) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    if (!(((c == '\r' || c == '\n') && !format.keepLineBreaks) || (c == '\t' && !format.keepTabs))) out += c;
  return out;
}

std::string buildBom(const std::vector<BomUnit>& units, const KicadBomPreset& preset, const KicadBomFormat& format,
                     const BomVariables& variables) {
  return BomBuilder(units, preset, format, variables).text();
}

}  // namespace comptab
