#include "design/run.h"

#include "platform/circuit/instance_db.h"
#include "platform/kicad/kicad_project.h"
#include "platform/sheet/variants.h"

namespace comptab {

Run::Run() = default;
Run::~Run() = default;
Run::RunCaches::RunCaches() = default;
Run::RunCaches::~RunCaches() = default;

}  // namespace comptab
