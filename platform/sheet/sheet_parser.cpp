#include "platform/sheet/sheet_parser.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/sheet/comp_type.h"
#include "platform/sheet/design_db.h"
#include "platform/support/text.h"

namespace comptab {

namespace dom = simdjson::dom;

namespace {

constexpr int64_t kFormatVersion = 1;
// Blocks up to this size are checked for repeated names pair by pair.
constexpr size_t kSmallBlock = 32;

}  // namespace

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
  static constexpr std::string_view names[] = {"region"};
  return record(value, names, 0b1, [&](size_t, dom::element field) {
    int32_t corners[4] = {};
    if (!ints(field, corners, 4)) return false;
    sheet_.region = {corners[0], corners[1], corners[2], corners[3]};
    return true;
  });
}

bool SheetParser::zone(dom::element value) {
  ZoneData& zone = sheet_.zone;
  zone.firstColumn = "A";
  zone.firstRow = "1";
  static constexpr std::string_view names[] = {"offset", "pitch", "autoset", "origin", "firstColumn", "firstRow"};
  const bool ok = record(value, names, 0b10, [&](size_t i, dom::element field) {
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
  if (!array(value, "an array", items)) return false;
  // Read already, one by one; a second list would be a second field.
  if (streamed_) return items.size() == 0 || fail("the components were read in pieces");
  return eachItem(items, [&](size_t, dom::element item) { return component(item, sheet_.components.emplace_back()); });
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
  static constexpr std::string_view names[] = {
      "number",          "type",     "kind",       "position",   "angle", "scale",      "mirror",
      "displayContents", "bitCount", "symbolName", "pathNumber", "color", "properties", "pins"};
  uint16_t typeCode = 0;
  uint16_t kindCode = 0;
  bool mirror = false;
  bool displayContents = false;
  uint16_t bitCount = 0;
  const bool ok = record(value, names, 0b1011, [&](size_t i, dom::element field) {
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
  if (!array(value, "an array of [name, value] pairs", items)) return false;
  out.first = static_cast<uint32_t>(sheet_.properties.size());
  size_t i = 0;
  for (dom::element item : items) {
    // The usual pair of two texts is taken as it stands; anything else is
    // read step by step, for the place and the words of its fault.
    std::string_view texts[2];
    dom::array pair;
    bool plain = item.get(pair) == simdjson::SUCCESS && pair.size() == 2;
    if (plain) {
      auto part = pair.begin();
      plain = (*part).get(texts[0]) == simdjson::SUCCESS && !texts[0].empty() &&
              texts[0].size() <= kSheetMaxTextBytes && (*++part).get(texts[1]) == simdjson::SUCCESS &&
              texts[1].size() <= kSheetMaxTextBytes;
    }
    if (!plain) {
      const Enter step(*this, i);
      if (!checkedPair(item, texts)) return false;
    }
    sheet_.properties.push_back({sharedName(texts[0]), sharedValue(texts[1])});
    ++out.count;
    ++i;
  }
  return uniqueNames(out);
}

bool SheetParser::checkedPair(dom::element item, std::string_view (&texts)[2]) {
  dom::array pair;
  if (!array(item, "a [name, value] pair", pair)) return false;
  if (pair.size() != 2) return fail(strprintf("expected a [name, value] pair, found %zu values", pair.size()));
  return eachItem(pair, [&](size_t j, dom::element part) {
    if (!text(part, texts[j])) return false;
    return j != 0 || !texts[0].empty() || fail("a property name may not be empty");
  });
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
  if (!array(value, "an array", items)) return false;
  out.first = static_cast<uint32_t>(sheet_.pins.size());
  sheet_.pins.resize(sheet_.pins.size() + items.size());
  static constexpr std::string_view names[] = {"properties"};
  const bool ok = eachItem(items, [&](size_t i, dom::element item) {
    PinData& data = sheet_.pins[out.first + i];
    if (!record(item, names, 0, [&](size_t, dom::element field) { return properties(field, data.properties); }))
      return false;
    sharePinProperties(data.properties);
    return true;
  });
  if (ok) out.count = static_cast<uint32_t>(items.size());
  return ok;
}

namespace {

uint32_t textHash(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

}  // namespace

// A sheet has few names, told apart well enough by their size and ends.
std::string_view SheetParser::sharedName(std::string_view text) {
  if (text.empty()) return sheet_.texts.addName(text);
  const size_t hash = text.size() * 5 + static_cast<unsigned char>(text.front()) * 3 +
                      static_cast<unsigned char>(text.back());
  std::string_view& slot = names_[hash % kNameSlots];
  if (slot.empty() || slot != text) slot = sheet_.texts.addName(text);
  return slot;
}

// Values repeat from part to part: one equal to a recent value shares its
// bytes. Long texts seldom repeat, and hashing them would cost more than
// sharing saves.
std::string_view SheetParser::sharedValue(std::string_view text) {
  constexpr size_t kShortText = 64;
  if (text.empty() || text.size() > kShortText) return sheet_.texts.add(text);
  if (!values_) values_.reset(new std::string_view[valueSlots_]);
  std::string_view& slot = values_[textHash(text) & (valueSlots_ - 1)];
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

}  // namespace comptab
