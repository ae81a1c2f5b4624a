// The sheet-file reader, and a walk over everything it made.
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/sheet/design_db.h"

namespace {
const bool initialized = comptab::DesignDb::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)initialized;
  const std::string path = comptab::fuzz::writeInput(comptab::fuzz::scratch().path() / "input.sht", data, size);
  comptab::DesignDb db = comptab::DesignDb::open(nullptr, path, 2);
  if (!db.isValid()) return 0;
  const comptab::SheetRef sheet = db.lookup(comptab::DesignDb::kSheetType, "Sheet");
  if (sheet.isValid()) {
    (void)sheet.region();
    for (const comptab::DesignRef ref : sheet.components()) {
      const comptab::ComponentRef component = ref;
      (void)component.number();
      (void)component.symbolName();
      (void)component.position();
      (void)component.angle();
      for (const comptab::DesignRef p : component.properties()) {
        const comptab::PropertyRef property = p;
        (void)property.name();
        (void)property.value();
      }
      for (const comptab::DesignRef p : component.pins()) {
        const comptab::PinRef pin = p;
        for (const comptab::DesignRef q : pin.properties()) (void)comptab::PropertyRef(q).value();
      }
    }
  }
  const comptab::ZoneRef zone = db.lookup(comptab::DesignDb::kZoneType, "Zone");
  if (zone.isValid()) {
    (void)zone.offset();
    (void)zone.pitch();
    (void)zone.charX();
    (void)zone.charY();
  }
  db.close();
  return 0;
}
