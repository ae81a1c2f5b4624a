// The KCDB's word on one row: how many gates its part has, which gate this
// symbol is, and whether a whole-part symbol carries power pins itself.
// Gate packaging reads these three properties.
#pragma once

namespace comptab {

class ComponentRecord;
class ComponentRef;
class KcdbCache;

// Sets "_GCOUNT", "_GATENO" and "_HASPOWER" on `row` from the KCDB
// component named by its "cdbName" and "componentName". A row whose
// component the KCDB does not know gets none of them; packaging reports it.
// Packaging itself never reads the gate count: without `gateCount` the row
// does not get it, so that a row need not be cut down to what it keeps.
void addGateData(KcdbCache& kcdb, const ComponentRef& component, ComponentRecord& row, bool gateCount);

}  // namespace comptab
