#include "app/app.h"

#include <cstdio>

#include "extract/extract_component.h"
#include "platform/support/environment.h"
#include "settings/message_codes.h"

namespace comptab {

App::~App() = default;

int App::extractComponent(const Placement& where, const ComponentRef& component, TablePass& pass,
                          const VariantComponent* variant, const Destination* dest,
                          const std::string* destinationName) {
  return comptab::extractComponent(*this, where, component, pass, variant, dest, destinationName);
}

int comptabMain(int argc, const char* const* argv) {
  // An empty root would turn every suite path into a relative one.
  const auto root = lookupEnv("KDXROOT");
  if (!root || root->empty()) {
    // No error file can be named without the root, so the terminal is the
    // only place to say what is missing.
    std::fputs(
        "comptab: KDXROOT is not set; it must name the suite root, e.g. "
        "export KDXROOT=/usr/local/share/comptab/suite (or the suite/ folder of the source tree)\n",
        stderr);
    return 1;
  }
  setEnv("KSYSROOT", *root);
  App app(argc, argv);
  if (app.exitState != 0) return app.exitState;
  return app.run();
}

}  // namespace comptab
