// The KiCad XML net-list reader, and a walk over everything it made.
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/kicadxml/kicad_xml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = comptab::fuzz::writeInput(comptab::fuzz::scratch().path() / "input.xml", data, size);
  comptab::DesignDb db = comptab::openKicadXml(path);
  if (!db.isValid()) return 0;
  const comptab::SheetRef sheet = db.lookup(comptab::DesignDb::kSheetType, "Sheet");
  for (const comptab::DesignRef ref : sheet.components()) {
    const comptab::ComponentRef component = ref;
    (void)component.number();
    (void)component.typeCode();
    for (const comptab::DesignRef p : component.properties()) {
      const comptab::PropertyRef property = p;
      (void)property.name();
      (void)property.value();
    }
  }
  (void)sheet.component(1).property("reference").value();
  db.close();
  return 0;
}
