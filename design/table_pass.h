// What one table of the run asks of the walk. The run loop fills one per
// output item and hands it to the walk, which hands it on to the
// extraction; nothing else of a pass lives in the Run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "table/component_record.h"
#include "table/property_name.h"

namespace comptab {

class NameCensus;
class RecordTable;

struct TablePass {
  // The rows are appended here.
  RecordTable& table;
  // The destination whose table is made; null for a table without
  // destinations (or for the one table of the component-destination mode).
  const std::string* destinationName = nullptr;
  // Another table is to come: the walk leaves what it loaded open, so that
  // the next table reads nothing again.
  bool keepOpen = false;
  // Only the rows of components seen through their variants are made; the
  // rest are kept from the table before.
  bool variantRowsOnly = false;
  // When set, rows keep only these properties once made: in a plain listing
  // nothing reads a property but the columns and the sort keys, and a big
  // table holds a million rows.
  const std::vector<NameId>* keptProperties = nullptr;
  // When set, extraction gives a row only these properties, and what it
  // reads itself: no more is ever read of it. Unset when the search reads
  // any property.
  const std::vector<NameId>* extractedNames = nullptr;
  // By walk sequence, the components seen through their variants: the
  // first table of a run that keeps rows marks them, and the later ones,
  // which make rows only for those, pass the others over without reading
  // their variant data again.
  std::vector<bool>* variantComponents = nullptr;
  // When set, every property name of every component reached is counted
  // here, whether the row keeps it or not.
  NameCensus* census = nullptr;
  // Counts the components the walk reaches, in walk order: each row's
  // sequence, the sort's last tie-break.
  uint32_t walkSequence = 0;
  // Where extraction builds each row before the table takes what it keeps
  // of it: the room of one row serves them all.
  ComponentRecord scratchRow = {};

  // The component the walk reaches next makes no row in this table: it is
  // known to have no variants, and only rows made through them are new.
  bool passesOverNext() const {
    return variantRowsOnly && variantComponents != nullptr && walkSequence + 1 < variantComponents->size() &&
           !(*variantComponents)[walkSequence + 1];
  }
};

}  // namespace comptab
