// The side data of the open design, read once a run and then consulted for
// every row: the variant specs, the data resource, the display tables, the
// KCDB, and the search patterns compiled once whatever the number of rows.
// Each is null when its mode is off or it could not be opened.
#pragma once

#include <memory>

#include "platform/support/pattern.h"

namespace comptab {

class CompKindTable;
class DataResource;
class KcdbCache;
class PropSpecFile;
class VariantDataSpec;
class VariantSysSpec;

struct RunData {
  RunData();
  ~RunData();
  RunData(const RunData&) = delete;
  RunData& operator=(const RunData&) = delete;

  std::unique_ptr<VariantSysSpec> variantSysSpec;
  std::unique_ptr<VariantDataSpec> variantDataSpec;
  std::unique_ptr<DataResource> dataResource;
  std::unique_ptr<CompKindTable> compKindTable;  // only in the compkind mode, and when it reads
  std::unique_ptr<PropSpecFile> propSpecFile;    // only in the propspec mode, and when it reads
  std::unique_ptr<KcdbCache> kcdbCache;          // only in the packaging modes, and when the KCDB opens
  PatternCache patterns;
};

}  // namespace comptab
