// Walking a circuit through its instance database.
#include "design/app_state.h"
#include "design/message_codes.h"
#include "platform/design_files.h"

namespace comptab {

int AppState::walkCircuit(RecordTable&, const std::string*) {
  // The instance database and the net list are not read yet: a circuit
  // cannot be listed, and says so rather than listing nothing.
  reportError(ReportKind::InputFile, DesignDataFile::fileName(designDir, DesignFileKind::NetList, "netlist"), 1,
              msg::kNoInstanceDbOrNetList);
  return 0;
}

}  // namespace comptab
