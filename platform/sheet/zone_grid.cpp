#include "platform/sheet/zone_grid.h"

#include <cstdint>
#include <limits>

#include "platform/sheet/design_db.h"

namespace comptab {

namespace {

constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();

bool allOf(std::string_view label, char low, char high) {
  if (label.empty()) return false;
  for (char c : label)
    if (c < low || c > high) return false;
  return true;
}

// Reads the label as a number in `base`, each character worth
// (c - zero); -1 once the value passes the 32-bit range, so that a label of
// any length is safe.
int toNumber(std::string_view label, int base, char zero) {
  int64_t value = 0;
  for (char c : label) {
    value = value * base + (c - zero);
    if (value > kLargest) return -1;
  }
  return static_cast<int>(value);
}

// One axis: the label `distance / pitch` steps past `first`. Distances are
// computed in 64 bits so that no coordinate can overflow them.
std::string axisLabel(std::string_view first, int64_t distance, int32_t pitch) {
  const int64_t index = (distance < 0 ? -distance : distance) / pitch;
  if (index > std::numeric_limits<int>::max()) return "";
  return ZoneAxis::advance(first, static_cast<int>(index));
}

// (span / 2) mod pitch, truncating toward zero with the dividend's sign as
// 32-bit arithmetic would, but computed wide so that no sheet overflows it.
int32_t centred(int64_t span, int32_t pitch) { return static_cast<int32_t>((span / 2) % pitch); }

}  // namespace

int ZoneAxis::style(std::string_view label) {
  if (allOf(label, 'A', 'Z')) return Alphabetic;
  if (allOf(label, '0', '9')) return Numeric;
  return Neither;
}

int ZoneAxis::alpha2num(std::string_view label) {
  // Bijective base 26: the letters are worth 1 to 26, there is no zero digit.
  return style(label) == Alphabetic ? toNumber(label, 26, 'A' - 1) : -1;
}

std::string ZoneAxis::num2alpha(int number) {
  std::string label;
  while (number > 0) {
    const int letter = (number - 1) % 26;
    label.insert(label.begin(), static_cast<char>('A' + letter));
    number = (number - 1) / 26;
  }
  return label;
}

int ZoneAxis::digit2num(std::string_view label) { return style(label) == Numeric ? toNumber(label, 10, '0') : -1; }

std::string ZoneAxis::num2digit(int number) { return number < 0 ? "" : std::to_string(number); }

std::string ZoneAxis::advance(std::string_view first, int index) {
  if (index < 0) return "";
  switch (style(first)) {
    case Alphabetic: {
      const int start = alpha2num(first);
      if (start < 0 || start > kLargest - index) return "";
      return num2alpha(start + index);
    }
    case Numeric: {
      const int start = digit2num(first);
      if (start < 0 || start > kLargest - index) return "";
      return num2digit(start + index);
    }
    default:
      return "";
  }
}

std::string zoneLabel(const ZoneGrid& grid, Point position, Box region) {
  // A grid without a size has no cells to name.
  if (grid.pitch.x <= 0 || grid.pitch.y <= 0) return "";
  const int64_t w = int64_t{region.x2} - region.x1;
  const int64_t h = int64_t{region.y2} - region.y1;
  const int64_t rx = int64_t{position.x} - region.x1;
  const int64_t ry = int64_t{position.y} - region.y1;
  const int64_t ox = grid.offset.x;
  const int64_t oy = grid.offset.y;
  int64_t dx = rx;
  int64_t dy = ry;
  const bool fromRight = grid.origin == 1 || grid.origin == 3;
  const bool fromBottom = grid.origin == 2 || grid.origin == 3;
  if (grid.origin >= 0 && grid.origin <= 3) {
    dx = fromRight ? rx - w + ox : rx - ox;
    dy = fromBottom ? ry - h + oy : ry - oy;
    if (fromRight ? dx > 0 : dx < 0) return "";
    if (fromBottom ? dy > 0 : dy < 0) return "";
  }
  // Half a label ("-1", "A-") would read as a real zone: without both
  // parts the zone stays empty.
  const std::string column = axisLabel(grid.firstColumn, dx, grid.pitch.x);
  const std::string row = axisLabel(grid.firstRow, dy, grid.pitch.y);
  if (column.empty() || row.empty()) return "";
  if (grid.rowFirst) return row + column;
  return column + "-" + row;
}

Point automaticOffset(Box region, Point pitch, int autoset, Point stored) {
  if (pitch.x <= 0 || pitch.y <= 0) return stored;
  const int64_t width = int64_t{region.x2} - region.x1;
  const int64_t height = int64_t{region.y2} - region.y1;
  if (autoset == 1) return {centred(width, pitch.x), centred(height, pitch.y)};
  if (autoset == 2) return {centred(width - pitch.x, pitch.x), centred(height - pitch.y, pitch.y)};
  return stored;
}

void normalizeZoneOffset(const SheetRef& sheet, const ZoneRef& zone) {
  const Point wanted = automaticOffset(sheet.region(), zone.pitch(), zone.autoset(), zone.offset());
  if (wanted.x != zone.offset().x) {
    ZoneOffsetXCommand command(zone, wanted.x);
    if (command.isValid()) command.execute();
  }
  if (wanted.y != zone.offset().y) {
    ZoneOffsetYCommand command(zone, wanted.y);
    if (command.isValid()) command.execute();
  }
}

}  // namespace comptab
