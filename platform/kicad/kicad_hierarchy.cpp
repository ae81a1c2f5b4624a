#include "platform/kicad/kicad_hierarchy.h"

#include <algorithm>
#include <filesystem>

#include "platform/kicad/kicad_schematic.h"
#include "platform/support/path.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

uint64_t cappedSum(uint64_t a, uint64_t b, uint64_t cap) { return a > cap || b > cap - a ? cap + 1 : a + b; }

// "C:/x", "C:\x" and "\\server\x" are absolute where KiCad also runs.
bool isAbsoluteName(std::string_view file) {
  if (file.starts_with('/') || file.starts_with('\\')) return true;
  return file.size() >= 2 && file[1] == ':' &&
         ((file[0] >= 'A' && file[0] <= 'Z') || (file[0] >= 'a' && file[0] <= 'z'));
}

}  // namespace

bool kicadSheetKey(std::string_view parentKey, std::string_view file, std::string& key, std::string& problem) {
  namespace fs = std::filesystem;
  if (isAbsoluteName(file)) {
    problem = "an absolute path: name a sheet file relative to the sheet that uses it, inside the project folder";
    return false;
  }
  const fs::path full = (fs::path(std::string(parentKey)).parent_path() / fs::path(std::string(file))).lexically_normal();
  key = full.generic_string();
  if (key.empty() || key == "." || key == ".." || key.starts_with("../")) {
    problem = "which lies outside the project folder: a sheet file must lie in the project folder or below it";
    return false;
  }
  return true;
}

KicadFileTree::KicadFileTree() = default;
KicadFileTree::~KicadFileTree() = default;

bool KicadFileTree::fail(Failure failure, const std::string& file, const std::string& why) {
  *failure_ = failure;
  *failedFile_ = file;
  *why_ = why;
  return false;
}

bool KicadFileTree::load(const std::string& projectDir, const std::string& rootKey, Failure& failure,
                         std::string& failedFile, std::string& why, bool keepFiles) {
  projectDir_ = projectDir;
  copyTexts_ = !keepFiles;
  failure_ = &failure;
  failedFile_ = &failedFile;
  why_ = &why;
  failure = Failure::None;
  const std::string path = joinPath(projectDir_, rootKey);
  auto root = KicadSchematic::read(path, &why, true, copyTexts_);
  if (!root) return fail(Failure::Sheet, path, why);
  File& file = files_.emplace_back();
  file.schematic = std::move(root);
  file.key = rootKey;
  state_.push_back(0);
  byKey_.emplace(rootKey, 0);
  if (!visit(0, 0)) return false;
  const File& top = files_[0];
  if (top.instances > kMaxSheetInstances)
    return fail(Failure::TooLarge, path,
                path + strprintf(": the sheet blocks would make more than %llu sheet instances; a project may have "
                                 "at most that many (does a sheet use a file twice at many levels?)",
                                 static_cast<unsigned long long>(kMaxSheetInstances)));
  if (top.units > kMaxPlacedUnits)
    return fail(Failure::TooLarge, path,
                path + strprintf(": the sheet instances would place more than %llu symbol units; a project may "
                                 "place at most that many",
                                 static_cast<unsigned long long>(kMaxPlacedUnits)));
  // Every place a failure above names is found in the file's bytes; the
  // model needs them no more.
  if (copyTexts_)
    for (File& each : files_) each.schematic->releaseFile();
  return true;
}

// Reports the first block found too deep below `index`, used at `depth`,
// following the tallest branch down.
bool KicadFileTree::tooDeep(uint32_t index, int depth) {
  while (depth + 1 <= kMaxDepth) {
    const File& file = files_[index];
    uint32_t tallest = file.children.front();
    for (const uint32_t child : file.children)
      if (files_[child].height > files_[tallest].height) tallest = child;
    index = tallest;
    ++depth;
  }
  const KicadSchematic& schematic = *files_[index].schematic;
  const KicadSheetBlock& block = schematic.sheets().front();
  return fail(Failure::Sheet, schematic.path(),
              schematic.where(block.offset) +
                  strprintf(": sheets nest deeper than the %d levels a circuit may have", kMaxDepth));
}

bool KicadFileTree::visit(uint32_t index, int depth) {
  state_[index] = 1;
  // The schematic stays where it is while files_ grows.
  const KicadSchematic& schematic = *files_[index].schematic;
  const std::string parentKey = files_[index].key;
  for (const KicadSheetBlock& block : schematic.sheets()) {
    // Finding a line and column scans the file: only for a failure.
    const auto blockReason = [&](const std::string& what) {
      return schematic.where(block.offset) + ": the sheet \"" + std::string(block.name) + "\" uses \"" +
             std::string(block.file) + "\", " + what;
    };
    std::string key;
    std::string problem;
    if (!kicadSheetKey(parentKey, block.file, key, problem))
      return fail(Failure::Sheet, schematic.path(), blockReason(problem));
    if (depth + 1 > kMaxDepth)
      return fail(Failure::Sheet, schematic.path(),
                  schematic.where(block.offset) +
                      strprintf(": sheets nest deeper than the %d levels a circuit may have", kMaxDepth));
    const auto found = byKey_.find(key);
    uint32_t child = 0;
    if (found == byKey_.end()) {
      const std::string path = joinPath(projectDir_, key);
      std::string why;
      auto read = KicadSchematic::read(path, &why, true, copyTexts_);
      if (!read) return fail(Failure::Sheet, path, blockReason("which cannot be read") + "; " + why);
      child = static_cast<uint32_t>(files_.size());
      File& added = files_.emplace_back();
      added.schematic = std::move(read);
      added.key = key;
      state_.push_back(0);
      byKey_.emplace(key, child);
      if (!visit(child, depth + 1)) return false;
    } else {
      child = found->second;
      if (state_[child] == 1)
        return fail(Failure::Sheet, schematic.path(), blockReason("which holds it: the sheets make a cycle"));
      if (depth + 1 + files_[child].height > kMaxDepth) return tooDeep(child, depth + 1);
    }
    files_[index].children.push_back(child);
  }
  File& file = files_[index];
  file.instances = 1;
  file.units = schematic.symbols().size();
  for (const uint32_t child : file.children) {
    file.instances = cappedSum(file.instances, files_[child].instances, kMaxSheetInstances);
    file.units = cappedSum(file.units, files_[child].units, kMaxPlacedUnits);
    file.height = std::max(file.height, files_[child].height + 1);
  }
  state_[index] = 2;
  return true;
}

}  // namespace comptab
