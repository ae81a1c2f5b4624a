#include "extract/component_zone.h"

#include <cstdint>
#include <limits>

#include "platform/sheet/zone_label.h"

namespace comptab {

namespace {

// One axis: the label `distance / pitch` steps past `first`. Distances are
// computed in 64 bits so that no coordinate can overflow them.
std::string axisLabel(std::string_view first, int64_t distance, int32_t pitch) {
  const int64_t index = (distance < 0 ? -distance : distance) / pitch;
  if (index > std::numeric_limits<int>::max()) return "";
  return ZoneLabel::advance(first, static_cast<int>(index));
}

}  // namespace

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
  return axisLabel(grid.firstColumn, dx, grid.pitch.x) + "-" + axisLabel(grid.firstRow, dy, grid.pitch.y);
}

}  // namespace comptab
