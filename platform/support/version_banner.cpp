#include "platform/support/version_banner.h"

namespace comptab {

void VersionBanner::print(FILE* stream) const {
  std::fprintf(stream, "%s %s (%s)\n", program_.c_str(), version_.c_str(), date_.c_str());
  std::fflush(stream);
}

}  // namespace comptab
