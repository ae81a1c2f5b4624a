// Checked reading of a parsed sheet file (docs/sheet-file.md) into a
// SheetData: every value's type and range, unknown and repeated fields, and
// the first fault as one line naming its place in the file. Internal to the
// sheet-file library; sheet_reader.h reads files with it.
#pragma once

#include <simdjson.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/sheet/sheet_data.h"
#include "platform/support/json_reader.h"

namespace comptab {

// The format nests seven levels deep; the rest of the room is for what a
// "#" comment field holds.
constexpr size_t kSheetMaxDepth = 64;
constexpr size_t kSheetMaxTextBytes = 65535;

class SheetParser : JsonReader {
 public:
  // `fileBytes` sizes the memory of recent values: a small sheet has few.
  SheetParser(SheetData& sheet, std::string* reason, size_t fileBytes)
      : JsonReader(reason, kSheetMaxTextBytes),
        sheet_(sheet),
        valueSlots_(std::clamp<size_t>(std::bit_ceil(fileBytes / 1024 + 1), 64, 4096)) {}

  bool document(simdjson::dom::element root);
  // One component cut out of the file's components array (component_split.h),
  // the `index`th; document() then reads the rest of the file, in which the
  // array is left empty.
  bool streamedComponent(simdjson::dom::element value, size_t index) {
    streamed_ = true;
    const Enter list(*this, "components");
    const Enter item(*this, index);
    return component(value, sheet_.components.emplace_back());
  }

 private:
  bool point(simdjson::dom::element value, Point& out) {
    int32_t xy[2] = {};
    if (!ints(value, xy, 2)) return false;
    out = {xy[0], xy[1]};
    return true;
  }
  bool sheetRecord(simdjson::dom::element value);
  bool zone(simdjson::dom::element value);
  bool components(simdjson::dom::element value);
  bool component(simdjson::dom::element value, ComponentData& out);
  bool componentType(simdjson::dom::element value, uint16_t& out);
  bool properties(simdjson::dom::element value, Block& out);
  bool pins(simdjson::dom::element value, Block& out);
  bool checkedPair(simdjson::dom::element item, std::string_view (&texts)[2]);
  bool uniqueNames(Block block);
  void sharePinProperties(Block& block);
  std::string_view sharedValue(std::string_view text);
  std::string_view sharedName(std::string_view text);
  bool indexNumbers();
  void reserveRoom(simdjson::dom::object top);

  SheetData& sheet_;
  bool streamed_ = false;
  // Recent values, by a hash of their text.
  std::unique_ptr<std::string_view[]> values_;
  size_t valueSlots_ = 0;
  // Recent property names as TextStore::addName gave them, by a hash of
  // their text: the few names of a sheet are found without its set.
  static constexpr size_t kNameSlots = 64;
  std::string_view names_[kNameSlots];
  // Recent runs of pin properties, by a hash of their texts' places.
  static constexpr size_t kPinRuns = 1024;
  std::unique_ptr<Block[]> pinRuns_;
};

}  // namespace comptab
