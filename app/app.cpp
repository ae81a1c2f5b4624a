#include "app/app.h"

#include "design/message_codes.h"
#include "platform/environment.h"

namespace comptab {

App::~App() = default;

int App::run() {
  if (openDesign() == 0) return finalStatus();
  if (warningWritten() && exitState == 0) exitState = 2;
  return finalStatus();
}

int comptabMain(int argc, const char* const* argv) {
  // An empty root would turn every suite path into a relative one.
  const auto root = lookupEnv("KDXROOT");
  if (!root || root->empty()) return 1;
  setEnv("KSYSROOT", *root);
  App app(argc, argv);
  if (app.exitState != 0) return app.exitState;
  return app.run();
}

}  // namespace comptab
