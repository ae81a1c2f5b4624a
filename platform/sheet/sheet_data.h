// What an open sheet file holds in memory: flat arrays that the value
// handles of design_db.h index into. Texts are views into storage that the
// sheet owns and never moves, so a view stays good while the sheet is open.
// Internal to the sheet-file library and the readers of other formats
// that make sheets of their own (platform/kicad); callers use design_db.h.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/sheet/design_types.h"

namespace comptab {

// A property's name and value, each as one 64-bit word: the address in the
// low 48 bits and the length in the high 16. Sixteen bytes where two views
// take 32 and pointers with 32-bit lengths 24, which counts when a net list
// of a million parts holds seventeen million of them. A text of 65535
// bytes or more, or at an address beyond 48 bits (which no Linux process
// gets unless it asks for one), is kept in a table of its own (long texts
// are rare: the readers bound their texts at 65535 bytes) and the word
// holds its index; its view is given back as it was put, the same address
// and length.
class PropertyData {
 public:
  PropertyData() = default;
  PropertyData(std::string_view name, std::string_view value) : name_(pack(name)), value_(pack(value)) {}
  std::string_view name() const { return unpack(name_); }
  std::string_view value() const { return unpack(value_); }

 private:
  static constexpr unsigned kSizeShift = 48;
  static constexpr uint64_t kAddressMask = (uint64_t{1} << kSizeShift) - 1;
  static constexpr uint64_t kLong = 0xFFFF;  // the length that marks a text of the table

  static uint64_t pack(std::string_view text) {
    const uint64_t address = reinterpret_cast<uintptr_t>(text.data());
    if (text.size() < kLong && (address >> kSizeShift) == 0) [[likely]]
      return address | (uint64_t{text.size()} << kSizeShift);
    return packLong(text);
  }
  static std::string_view unpack(uint64_t word) {
    const uint64_t size = word >> kSizeShift;
    if (size == kLong) [[unlikely]]
      return unpackLong(word & kAddressMask);
    return {reinterpret_cast<const char*>(static_cast<uintptr_t>(word & kAddressMask)), static_cast<size_t>(size)};
  }
  static uint64_t packLong(std::string_view text);
  static std::string_view unpackLong(uint64_t index);

  uint64_t name_ = 0;
  uint64_t value_ = 0;
};
static_assert(sizeof(PropertyData) == 16);

// A run of entries of SheetData::properties or SheetData::pins.
struct Block {
  uint32_t first = 0;
  uint32_t count = 0;
};

struct PinData {
  Block properties;
};

struct ComponentData {
  int32_t number = 0;
  uint32_t typeWord = 0;    // type code in the lower, kind code in the upper 16 bits
  uint32_t attributes = 0;  // 4 mirror, 8 display contents, upper 16 bits the bit count
  Point position;
  double angle = 0;  // radians
  double scale = 1;
  std::string_view symbolName;
  int32_t pathNumber = 0;
  int32_t color = 0;
  Block properties;
  Block pins;
};

struct ZoneData {
  Point offset;
  Point pitch;
  int32_t autoset = 0;
  int32_t origin = 0;
  std::string_view firstColumn;
  std::string_view firstRow;
  bool rowFirst = false;  // labels "B3" rather than "3-B"
};

// Owns the bytes every text view points into. The texts of the file go into
// one buffer sized once (they are never longer than the file); names that
// repeat share one copy; texts set later get storage of their own.
class TextStore {
 public:
  // Room for `bytes` bytes of file texts; call once, before add().
  void reserve(size_t bytes);
  // Copies the text into the file buffer (which reserve() made big enough).
  std::string_view add(std::string_view text);
  // A property name, shared with earlier equal names.
  std::string_view addName(std::string_view text);
  // A text set after the file was read; never moves later texts.
  std::string_view addLater(std::string_view text);
  size_t bytesUsed() const { return used_; }

 private:
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  size_t used_ = 0;
  std::unordered_set<std::string_view> names_;
  std::deque<std::string> later_;
};

struct SheetData {
  // Roughly what the sheet holds in memory.
  size_t bytes() const;

  std::string fileName;
  Box region;
  // False for a design read from a file that gives no positions (a net
  // list): its components stand nowhere on the sheet.
  bool placed = true;
  bool hasZone = false;
  ZoneData zone;
  std::vector<ComponentData> components;               // stored order
  std::vector<std::pair<int32_t, uint32_t>> byNumber;  // (number, index), sorted by number
  std::vector<PinData> pins;
  std::vector<PropertyData> properties;  // of components and of pins
  TextStore texts;
  // A working copy's texts of the file live in the sheet it was copied
  // from, which it keeps alive; its own store holds only texts set later.
  std::shared_ptr<const SheetData> base;
};

// A copy of `base` to change in memory, sharing base's texts; made in the
// arrays of `room` (a copy no longer used) when given.
std::unique_ptr<SheetData> workingCopy(std::shared_ptr<const SheetData> base,
                                       std::unique_ptr<SheetData> room = nullptr);

}  // namespace comptab
