#include "platform/sheet/sheet_reader.h"

#include <simdjson.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <limits>
#include <utility>
#include <vector>

#include "platform/sheet/comp_type.h"
#include "platform/sheet/component_split.h"
#include "platform/sheet/design_db.h"
#include "platform/sheet/sheet_data.h"
#include "platform/support/file_bytes.h"
#include "platform/support/file_handle.h"
#include "platform/support/json_reader.h"
#include "platform/support/mapped_file.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

namespace dom = simdjson::dom;

constexpr int64_t kFormatVersion = 1;
// The format nests seven levels deep; the rest of the room is for what a
// "#" comment field holds.
constexpr size_t kMaxDepth = 64;
constexpr size_t kMaxTextBytes = 65535;
// Blocks up to this size are checked for repeated names pair by pair.
constexpr size_t kSmallBlock = 32;

class SheetParser : JsonReader {
 public:
  // `fileBytes` sizes the memory of recent values: a small sheet has few.
  SheetParser(SheetData& sheet, std::string* reason, size_t fileBytes)
      : JsonReader(reason, kMaxTextBytes),
        sheet_(sheet),
        valueSlots_(std::clamp<size_t>(std::bit_ceil(fileBytes / 1024 + 1), 64, 4096)) {}

  bool document(dom::element root);
  // One component cut out of the file's components array (component_split.h),
  // the `index`th; document() then reads the rest of the file, in which the
  // array is left empty.
  bool streamedComponent(dom::element value, size_t index) {
    streamed_ = true;
    const Enter list(*this, "components");
    const Enter item(*this, index);
    return component(value, sheet_.components.emplace_back());
  }

 private:
  bool point(dom::element value, Point& out) {
    int32_t xy[2] = {};
    if (!ints(value, xy, 2)) return false;
    out = {xy[0], xy[1]};
    return true;
  }
  bool sheetRecord(dom::element value);
  bool zone(dom::element value);
  bool components(dom::element value);
  bool component(dom::element value, ComponentData& out);
  bool componentType(dom::element value, uint16_t& out);
  bool properties(dom::element value, Block& out);
  bool pins(dom::element value, Block& out);
  bool uniqueNames(Block block);
  void sharePinProperties(Block& block);
  std::string_view sharedValue(std::string_view text);
  bool indexNumbers();
  void reserveRoom(dom::object top);

  SheetData& sheet_;
  bool streamed_ = false;
  // Recent values, by a hash of their text.
  std::unique_ptr<std::string_view[]> values_;
  size_t valueSlots_ = 0;
  // Recent runs of pin properties, by a hash of their texts' places.
  static constexpr size_t kPinRuns = 1024;
  std::unique_ptr<Block[]> pinRuns_;
};

bool SheetParser::document(dom::element root) {
  dom::object top;
  if (!versionedTop(root, kFormatVersion, "a sheet file", top)) return false;
  if (!streamed_) reserveRoom(top);
  static constexpr std::string_view names[] = {"formatVersion", "sheet", "zone", "components"};
  if (!fields(top, names, 0b1011, [&](size_t i, dom::element value) {
        switch (i) {
          case 1:
            return sheetRecord(value);
          case 2:
            return zone(value);
          case 3:
            return components(value);
          default:
            return true;  // the version, checked above
        }
      }))
    return false;
  return indexNumbers();
}

// Counts the pins and properties before reading them, so that their arrays
// are allocated once: growing them as we go would copy them and, for a
// large sheet, touch twice the memory. Values of the wrong type are left
// for the reading to report.
void SheetParser::reserveRoom(dom::object top) {
  dom::array components;
  if (top.at_key("components").get(components) != simdjson::SUCCESS) return;
  size_t pinCount = 0;
  size_t propertyCount = 0;
  for (dom::element item : components) {
    dom::array list;
    if (item.at_key("properties").get(list) == simdjson::SUCCESS) propertyCount += list.size();
    if (item.at_key("pins").get(list) != simdjson::SUCCESS) continue;
    pinCount += list.size();
    for (dom::element pin : list) {
      dom::array pinProperties;
      if (pin.at_key("properties").get(pinProperties) == simdjson::SUCCESS) propertyCount += pinProperties.size();
    }
  }
  sheet_.components.reserve(components.size());
  sheet_.pins.reserve(pinCount);
  sheet_.properties.reserve(propertyCount);
}

bool SheetParser::sheetRecord(dom::element value) {
  dom::object record;
  if (value.get(record) != simdjson::SUCCESS) return wrongType("an object", value);
  static constexpr std::string_view names[] = {"region"};
  return fields(record, names, 0b1, [&](size_t, dom::element field) {
    int32_t corners[4] = {};
    if (!ints(field, corners, 4)) return false;
    sheet_.region = {corners[0], corners[1], corners[2], corners[3]};
    return true;
  });
}

bool SheetParser::zone(dom::element value) {
  dom::object record;
  if (value.get(record) != simdjson::SUCCESS) return wrongType("an object", value);
  ZoneData& zone = sheet_.zone;
  zone.firstColumn = "A";
  zone.firstRow = "1";
  static constexpr std::string_view names[] = {"offset", "pitch", "autoset", "origin", "firstColumn", "firstRow"};
  const bool ok = fields(record, names, 0b10, [&](size_t i, dom::element field) {
    std::string_view label;
    int64_t code = 0;
    switch (i) {
      case 0:
        return point(field, zone.offset);
      case 1:
        if (!point(field, zone.pitch)) return false;
        if (zone.pitch.x < 1 || zone.pitch.y < 1) return fail("a pitch must be at least 1 in both directions");
        return true;
      case 2:
        if (!integer(field, 0, 2, code)) return false;
        zone.autoset = static_cast<int32_t>(code);
        return true;
      case 3:
        if (!integer(field, 0, 3, code)) return false;
        zone.origin = static_cast<int32_t>(code);
        return true;
      default:
        if (!text(field, label)) return false;
        (i == 4 ? zone.firstColumn : zone.firstRow) = sheet_.texts.add(label);
        return true;
    }
  });
  sheet_.hasZone = ok;
  return ok;
}

bool SheetParser::components(dom::element value) {
  dom::array items;
  if (value.get(items) != simdjson::SUCCESS) return wrongType("an array", value);
  // Read already, one by one; a second list would be a second field.
  if (streamed_) return items.size() == 0 || fail("the components were read in pieces");
  size_t i = 0;
  for (dom::element item : items) {
    const Enter step(*this, i++);
    if (!component(item, sheet_.components.emplace_back())) return false;
  }
  return true;
}

bool SheetParser::componentType(dom::element value, uint16_t& out) {
  std::string_view name;
  if (value.is_int64() || value.is_uint64()) return integer(value, out);
  if (value.get(name) != simdjson::SUCCESS) return wrongType("a type name or code", value);
  const auto code = CompType::code(name);
  if (!code) {
    std::string why = "unknown component type \"" + std::string(name) + "\"";
    // The names are short: a long one is no slip of a known one.
    constexpr size_t kLongestSlip = 32;
    const char* closest = nullptr;
    size_t best = 3;  // more edits than this is another word
    for (const CompTypeEntry& entry : CompType::table()) {
      if (name.size() > kLongestSlip) break;
      const size_t distance = editDistanceNoCase(name, entry.name);
      if (distance < best) {
        best = distance;
        closest = entry.name;
      }
    }
    if (closest != nullptr) why += strprintf("; did you mean \"%s\"?", closest);
    return fail(why);
  }
  out = *code;
  return true;
}

bool SheetParser::component(dom::element value, ComponentData& out) {
  dom::object record;
  if (value.get(record) != simdjson::SUCCESS) return wrongType("an object", value);
  static constexpr std::string_view names[] = {
      "number",          "type",     "kind",       "position",   "angle", "scale",      "mirror",
      "displayContents", "bitCount", "symbolName", "pathNumber", "color", "properties", "pins"};
  uint16_t typeCode = 0;
  uint16_t kindCode = 0;
  bool mirror = false;
  bool displayContents = false;
  uint16_t bitCount = 0;
  const bool ok = fields(record, names, 0b1011, [&](size_t i, dom::element field) {
    std::string_view symbol;
    switch (i) {
      case 0:
        return integer(field, out.number);
      case 1:
        return componentType(field, typeCode);
      case 2:
        return integer(field, kindCode);
      case 3:
        return point(field, out.position);
      case 4:
        return number(field, out.angle);
      case 5:
        return number(field, out.scale);
      case 6:
        return boolean(field, mirror);
      case 7:
        return boolean(field, displayContents);
      case 8:
        return integer(field, bitCount);
      case 9:
        if (!text(field, symbol)) return false;
        out.symbolName = sheet_.texts.add(symbol);
        return true;
      case 10:
        return integer(field, out.pathNumber);
      case 11:
        return integer(field, out.color);
      case 12:
        return properties(field, out.properties);
      default:
        return pins(field, out.pins);
    }
  });
  out.typeWord = typeCode | (uint32_t{kindCode} << 16);
  out.attributes = (mirror ? ComponentRef::kMirror : 0u) | (displayContents ? ComponentRef::kDisplayContents : 0u) |
                   (uint32_t{bitCount} << 16);
  return ok;
}

bool SheetParser::properties(dom::element value, Block& out) {
  dom::array items;
  if (value.get(items) != simdjson::SUCCESS) return wrongType("an array of [name, value] pairs", value);
  out.first = static_cast<uint32_t>(sheet_.properties.size());
  size_t i = 0;
  for (dom::element item : items) {
    const Enter step(*this, i++);
    dom::array pair;
    if (item.get(pair) != simdjson::SUCCESS) return wrongType("a [name, value] pair", item);
    if (pair.size() != 2) return fail(strprintf("expected a [name, value] pair, found %zu values", pair.size()));
    std::string_view texts[2];
    size_t j = 0;
    for (dom::element part : pair) {
      const Enter inner(*this, j);
      if (!text(part, texts[j])) return false;
      if (j == 0 && texts[0].empty()) return fail("a property name may not be empty");
      ++j;
    }
    sheet_.properties.push_back({sheet_.texts.addName(texts[0]), sharedValue(texts[1])});
    ++out.count;
  }
  return uniqueNames(out);
}

// Names are interned, so equal names are the same bytes.
bool SheetParser::uniqueNames(Block block) {
  const PropertyData* first = sheet_.properties.data() + block.first;
  size_t repeat = block.count;  // index of the first repeated name in the block
  if (block.count <= kSmallBlock) {
    for (size_t i = 1; i < block.count && repeat == block.count; ++i)
      for (size_t j = 0; j < i; ++j)
        if (first[i].name().data() == first[j].name().data()) {
          repeat = i;
          break;
        }
  } else {
    std::vector<std::pair<const char*, size_t>> order;
    order.reserve(block.count);
    for (size_t i = 0; i < block.count; ++i) order.emplace_back(first[i].name().data(), i);
    std::sort(order.begin(), order.end());
    for (size_t i = 1; i < order.size(); ++i)
      if (order[i].first == order[i - 1].first) repeat = std::min(repeat, order[i].second);
  }
  if (repeat == block.count) return true;
  const Enter step(*this, repeat);
  return fail("the property \"" + std::string(first[repeat].name()) + "\" appears twice");
}

bool SheetParser::pins(dom::element value, Block& out) {
  dom::array items;
  if (value.get(items) != simdjson::SUCCESS) return wrongType("an array", value);
  out.first = static_cast<uint32_t>(sheet_.pins.size());
  sheet_.pins.resize(sheet_.pins.size() + items.size());
  static constexpr std::string_view names[] = {"properties"};
  size_t i = 0;
  for (dom::element item : items) {
    const Enter step(*this, i);
    dom::object pin;
    if (item.get(pin) != simdjson::SUCCESS) return wrongType("an object", item);
    PinData& data = sheet_.pins[out.first + i];
    if (!fields(pin, names, 0, [&](size_t, dom::element field) { return properties(field, data.properties); }))
      return false;
    sharePinProperties(data.properties);
    ++i;
  }
  out.count = static_cast<uint32_t>(i);
  return true;
}

// Values repeat from part to part: one equal to a recent value shares its
// bytes. Long texts seldom repeat, and hashing them would cost more than
// sharing saves.
std::string_view SheetParser::sharedValue(std::string_view text) {
  constexpr size_t kShortText = 64;
  if (text.empty() || text.size() > kShortText) return sheet_.texts.add(text);
  if (!values_) values_.reset(new std::string_view[valueSlots_]);
  uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  std::string_view& slot = values_[hash & (valueSlots_ - 1)];
  if (slot != text) slot = sheet_.texts.add(text);
  return slot;
}

// The pins of every copy of a part have the same properties: a run equal
// to a recent one is shared rather than stored again, which on a large
// design saves a third of the sheet's memory. Only pins share: nothing
// changes their properties once read, unlike a component's.
void SheetParser::sharePinProperties(Block& block) {
  constexpr uint32_t kLongestRun = 8;
  if (block.count == 0 || block.count > kLongestRun) return;
  if (!pinRuns_) pinRuns_.reset(new Block[kPinRuns]());
  const PropertyData* run = sheet_.properties.data() + block.first;
  size_t hash = block.count;
  for (uint32_t i = 0; i < block.count; ++i) {
    hash = hash * 31 + reinterpret_cast<uintptr_t>(run[i].name().data());
    hash = hash * 31 + reinterpret_cast<uintptr_t>(run[i].value().data()) + run[i].value().size();
  }
  Block& recent = pinRuns_[(hash ^ (hash >> 17)) % kPinRuns];
  bool same = recent.count == block.count;
  const PropertyData* earlier = sheet_.properties.data() + recent.first;
  for (uint32_t i = 0; same && i < block.count; ++i)
    same = earlier[i].name().data() == run[i].name().data() && earlier[i].value() == run[i].value();
  if (!same) {
    recent = block;
    return;
  }
  sheet_.properties.resize(block.first);
  block = recent;
}

bool SheetParser::indexNumbers() {
  auto& index = sheet_.byNumber;
  index.reserve(sheet_.components.size());
  for (size_t i = 0; i < sheet_.components.size(); ++i)
    index.emplace_back(sheet_.components[i].number, static_cast<uint32_t>(i));
  std::sort(index.begin(), index.end());
  size_t clash = index.size();  // the later of the earliest-placed pair of equal numbers
  size_t earlier = 0;
  for (size_t i = 1; i < index.size(); ++i) {
    if (index[i].first == index[i - 1].first && index[i].second < clash) {
      clash = index[i].second;
      earlier = index[i - 1].second;
    }
  }
  if (clash == index.size()) return true;
  const Enter list(*this, "components");
  const Enter item(*this, clash);
  const Enter field(*this, "number");
  return fail(strprintf("the component number %d is already used by components[%zu]", sheet_.components[clash].number,
                        earlier));
}

}  // namespace

bool sheetReaderReady() {
  const simdjson::implementation* active = simdjson::get_active_implementation();
  return active != nullptr && active->name() != "unsupported";
}

namespace {

// Reads the file's components one at a time, each parsed on its own as the
// mapping of the file streams past, then the rest of the file with the
// components array left empty. False when anything is amiss, without a
// reason: the whole-file reading then finds the fault and words it, so that
// both ways of reading refuse the same files with the same words. Whole
// pieces of valid JSON joined by ", " make valid JSON, and the nesting a
// component may have is the file's less the two levels around it.
bool readInPieces(const std::string& path, MappedFile& file, SheetData& sheet) {
  const std::string_view text = file.text();
  ComponentSplit split(text);
  if (!split.findArray()) return false;
  sheet.fileName = path;
  sheet.texts.reserve(text.size());
  // Room by the smallest a generous guess of each takes in the file: the
  // pages of room never used are never touched, and growing the arrays
  // would copy them while both copies are in memory.
  sheet.components.reserve(text.size() / 64);
  sheet.pins.reserve(text.size() / 32);
  sheet.properties.reserve(text.size() / 16);
  std::string ignored;
  SheetParser reader(sheet, &ignored, text.size());
  dom::parser parser;
  std::unique_ptr<char[]> copy;  // a component too near the end to be parsed in place
  size_t copySize = 0;
  size_t forgotten = 0;
  constexpr size_t kForgetStep = size_t{16} << 20;
  std::string_view piece;
  for (size_t i = 0; split.next(piece); ++i) {
    if (piece.size() > parser.capacity() &&
        parser.allocate(std::max<size_t>(piece.size(), 4096), kMaxDepth - 2) != simdjson::SUCCESS)
      return false;
    const char* at = piece.data();
    // The parser may read SIMDJSON_PADDING bytes after the piece.
    if (static_cast<size_t>(text.data() + text.size() - (at + piece.size())) < simdjson::SIMDJSON_PADDING) {
      if (copySize < piece.size()) {
        copy.reset(new char[piece.size() + simdjson::SIMDJSON_PADDING]);
        copySize = piece.size();
      }
      std::memcpy(copy.get(), piece.data(), piece.size());
      std::memset(copy.get() + piece.size(), 0, simdjson::SIMDJSON_PADDING);
      at = copy.get();
    }
    dom::element component;
    if (parser.parse(at, piece.size(), false).get(component) != simdjson::SUCCESS) return false;
    if (!reader.streamedComponent(component, i)) return false;
    const size_t offset = static_cast<size_t>(piece.data() - text.data());
    if (offset - forgotten > kForgetStep) {
      file.forgetBefore(offset);
      forgotten = offset;
    }
  }
  if (!split.done()) return false;
  const std::string_view head = text.substr(0, split.arrayOpen() + 1);
  const std::string_view tail = text.substr(split.arrayClose());
  std::unique_ptr<char[]> rest(new char[head.size() + tail.size() + simdjson::SIMDJSON_PADDING]());
  std::memcpy(rest.get(), head.data(), head.size());
  std::memcpy(rest.get() + head.size(), tail.data(), tail.size());
  dom::element root;
  if (!parseJsonText(parser, {rest.get(), head.size() + tail.size()}, kMaxDepth, "a sheet file", root, &ignored))
    return false;
  return reader.document(root);
}

bool readWhole(const std::string& path, SheetData& sheet, std::string* reason) {
  FileBytes bytes;
  if (!readFileBytes(path, DesignDb::kMaxFileBytes, simdjson::SIMDJSON_PADDING, bytes, reason)) return false;
  dom::parser parser;
  dom::element root;
  if (!parseJsonText(parser, bytes.text(), kMaxDepth, "a sheet file", root, reason)) return false;
  // The parsed document holds copies of the texts: the file's bytes can go
  // before the sheet is built, which keeps the peak of memory down.
  const size_t textBytes = bytes.text().size();
  bytes.release();
  sheet.fileName = path;
  sheet.texts.reserve(textBytes);
  SheetParser reader(sheet, reason, textBytes);
  return reader.document(root);
}

}  // namespace

bool readSheetFile(const std::string& path, SheetData& sheet, std::string* reason, size_t piecesFrom) {
  {
    FileHandle file;
    uint64_t size = 0;
    if (!openInputFile(path, file, reason, &size)) return false;
    MappedFile mapped;
    if (size >= piecesFrom && size <= DesignDb::kMaxFileBytes && mapFile(file, size, mapped)) {
      file.reset();
      if (readInPieces(path, mapped, sheet)) return true;
      sheet = SheetData();
    }
  }
  return readWhole(path, sheet, reason);
}

}  // namespace comptab
