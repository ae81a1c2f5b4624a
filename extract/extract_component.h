// One placed component becomes one row: its own properties, then the
// pseudo-properties the program computes (ids, geometry, type, kind,
// reference split, zone), and the flags packaging reads.
#pragma once

#include <string>

namespace comptab {

class ComponentRef;
class Destination;
class Reporter;
class VariantComponent;
struct Placement;
struct RunData;
struct RunOptions;
struct TablePass;

// Builds the row from the component and the side data (`data`: the
// variant separator, the data resource's units, the kinds, the KCDB) and
// hands it to the search filter, which appends it to `pass.table`; 0 when
// the run must stop. With a variant, the row shows the component as it is
// for `dest` (the board itself when `destinationName` is kBoardDestination).
int extractComponent(const RunOptions& options, RunData& data, Reporter& reporter, const Placement& where,
                     const ComponentRef& component, TablePass& pass, const VariantComponent* variant,
                     const Destination* dest, const std::string* destinationName);

}  // namespace comptab
