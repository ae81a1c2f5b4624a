#include "design/zone_offset.h"

#include <cstdint>

#include "platform/sheet/design_db.h"

namespace comptab {

namespace {

// (span / 2) mod pitch, truncating toward zero with the dividend's sign as
// 32-bit arithmetic would, but computed wide so that no sheet overflows it.
int32_t centred(int64_t span, int32_t pitch) { return static_cast<int32_t>((span / 2) % pitch); }

}  // namespace

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
