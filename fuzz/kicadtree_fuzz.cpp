// The KiCad hierarchy over several files: the input is split at NUL bytes
// (which no KiCad file holds) into files, each starting with its name on a
// line of its own; the first is the root. Sheet blocks may name any of
// them, in a subfolder too, any number of times, so the expansion of the
// hierarchy is what this target drives.
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "fuzz/kicad_walk.h"

namespace {

constexpr int kMaxFiles = 16;

// Names that stay inside the folder: letters, digits, '.', '_', '-' and
// '/' between steps, no step of dots alone.
bool safeName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name.front() == '/' || name.back() == '/') return false;
  if (name.find("//") != std::string_view::npos || name.find("..") != std::string_view::npos) return false;
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                       c == '_' || c == '-' || c == '/';
    if (!plain) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  const fs::path folder = comptab::fuzz::scratch().path() / "project";
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::create_directories(folder);
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string root;
  for (int n = 0; n < kMaxFiles && !input.empty(); ++n) {
    const size_t end = input.find('\0');
    std::string_view piece = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    const size_t line = piece.find('\n');
    if (line == std::string_view::npos) continue;
    std::string name(piece.substr(0, line));
    if (n == 0) name = "root.kicad_sch";
    if (!safeName(name)) continue;
    // A step that is a file already, or a name that is a folder already,
    // leaves this piece out.
    const fs::path where = folder / name;
    std::error_code failed;
    fs::create_directories(where.parent_path(), failed);
    if (failed || fs::is_directory(where, ignored)) continue;
    const std::string_view text = piece.substr(line + 1);
    const std::string path =
        comptab::fuzz::writeInput(where, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (n == 0) root = path;
  }
  if (root.empty()) return 0;
  comptab::fuzz::walkKicadProject(root);
  return 0;
}
