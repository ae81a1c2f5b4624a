#include "design/run_data.h"

#include "design/kcdb_cache.h"
#include "platform/rsc/comp_kind.h"
#include "platform/rsc/data_resource.h"
#include "platform/rsc/prop_spec.h"
#include "platform/sheet/variants.h"

namespace comptab {

RunData::RunData() = default;
RunData::~RunData() = default;

}  // namespace comptab
