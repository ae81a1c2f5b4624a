// The files of a KiCad project's hierarchy, each read once, and the checks
// made before anything is expanded (docs/kicad.md): where a sheet file may
// lie, cycles, depth, and how many sheet instances and placed symbols the
// expansion would make. Both the design model and the listing's loader read
// a project through it, so the two refuse the same projects alike.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace comptab {

class KicadSchematic;

// A sheet file a block names, relative to the project folder (`parentKey`
// is the file holding the block, relative to it too). False with `problem`
// when the name is absolute or leads out of the project folder: such a file
// is never opened.
bool kicadSheetKey(std::string_view parentKey, std::string_view file, std::string& key, std::string& problem);

class KicadFileTree {
 public:
  // Blocks may nest as deep as in a circuit of comptab's own.
  static constexpr int kMaxDepth = 32;
  // The most sheet instances and placed symbol units a project may expand
  // to: far above real boards, far below what exhausts memory.
  static constexpr uint64_t kMaxSheetInstances = 100000;
  static constexpr uint64_t kMaxPlacedUnits = 5000000;

  enum class Failure { None, Sheet, TooLarge };

  struct File {
    std::unique_ptr<KicadSchematic> schematic;
    std::string key;                 // relative to the project folder
    std::vector<uint32_t> children;  // the file of each sheet block, in block order
    uint64_t instances = 0;  // the instances one use of the file makes, its own included
    uint64_t units = 0;      // the placed symbols in them
    int height = 0;          // block levels below it
  };

  KicadFileTree();
  ~KicadFileTree();

  // Reads `rootKey` and every file below it. False when the project must be
  // refused: `failure` says why, `failedFile` names the file at fault and
  // `why` is one line with the place and what to change. Unless
  // `keepFiles`, the files' bytes are let go once all is checked (the
  // schematics keep copies of their texts, and draw nothing).
  bool load(const std::string& projectDir, const std::string& rootKey, Failure& failure, std::string& failedFile,
            std::string& why, bool keepFiles = true);

  // [0] is the root.
  const std::vector<File>& files() const { return files_; }

 private:
  bool visit(uint32_t index, int depth);
  bool tooDeep(uint32_t index, int depth);
  bool fail(Failure failure, const std::string& file, const std::string& why);

  std::string projectDir_;
  bool copyTexts_ = false;
  std::vector<File> files_;
  std::vector<uint8_t> state_;  // 0 unseen, 1 on the path being read, 2 done
  std::unordered_map<std::string, uint32_t> byKey_;
  Failure* failure_ = nullptr;
  std::string* failedFile_ = nullptr;
  std::string* why_ = nullptr;
};

}  // namespace comptab
