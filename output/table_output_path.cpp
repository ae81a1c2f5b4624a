#include "output/table_output_path.h"

namespace comptab {

std::string tableOutputPath(std::string_view path, std::string_view destination) {
  static constexpr std::string_view kMark = "$DEST";
  std::string expanded;
  size_t start = 0;
  for (size_t at = path.find(kMark); at != std::string_view::npos; at = path.find(kMark, start)) {
    expanded.append(path.substr(start, at - start));
    expanded.append(destination);
    start = at + kMark.size();
  }
  expanded.append(path.substr(start));
  return expanded;
}

}  // namespace comptab
