#include "extract/gate_data.h"

#include "design/kcdb_cache.h"
#include "extract/row_names.h"
#include "platform/sheet/design_db.h"
#include "platform/support/text.h"
#include "table/component_record.h"

namespace comptab {

namespace {

// A common terminal (a supply pin drawn on one gate but shared by all) says
// nothing about which gate the symbol is.
bool isCommonTerminal(const PinRef& pin) {
  const PropertyRef common = pin.property("isCommonTerminal");
  return common.isValid() && equalsNoCase(common.value(), "YES");
}

}  // namespace

void addGateData(KcdbCache& kcdb, const ComponentRef& component, ComponentRecord& row, bool gateCount) {
  const RowNames& n = rowNames();
  const KcdbComponent* found = kcdb.lookup(row.value(n.cdbName).value_or(""), row.value(n.componentName).value_or(""));
  if (found == nullptr) return;
  if (gateCount) row.setProperty(n.gateCount, decimalText(found->gateCount()));

  for (const PinRef pin : component.pins()) {
    if (!pin.isValid() || isCommonTerminal(pin)) continue;
    const PropertyRef number = pin.property("pinNumber");
    if (!number.isValid()) continue;
    row.setProperty(n.gateNumber, decimalText(found->gateNo(number.value())));
    break;
  }

  if (row.flags.parts == 0) return;
  for (const PinRef pin : component.pins()) {
    if (!pin.isValid()) continue;
    const PropertyRef io = pin.property("io");
    if (io.isValid() && (io.value() == "VCC" || io.value() == "GND")) {
      row.setProperty(n.hasPower, "YES");
      break;
    }
  }
}

}  // namespace comptab
