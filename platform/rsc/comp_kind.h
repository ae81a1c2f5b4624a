// The component-kind table "CompKind": for each kind code a component can
// carry, the kind's name and the header its references start with.
//
//   blockHeader = "X"              # optional: references of blocks
//   kinds = [
//     # code, name,        reference header
//     [1,     "resistor",  "R"],
//     [2,     "capacitor", "C"],
//   ]
//
// Codes are 0 to 65535, each given once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace comptab {

struct CompKind {
  uint16_t code = 0;
  std::string name;
  std::string refHeader;
};

class CompKindTable {
 public:
  // The one open mode: the program only reads the table.
  static constexpr int kReadOnly = 2;

  // Null when the file cannot be read, is not valid TOML, or holds a wrong
  // value; then `reason` (when given) gets one line naming the file, the
  // key or row, and what was wrong.
  static std::unique_ptr<CompKindTable> open(const std::string& path, int mode, std::string* reason = nullptr);

  // The kind of that code, or null when the table has none (codes outside
  // 0..65535 included).
  const CompKind* compKind(int code) const;

  // The reference header of a component of that kind. Blocks take the
  // table's block header whatever their kind, when the table gives one;
  // otherwise the kind's own header. Empty for a kind the table lacks.
  const std::string& refHeader(int code, bool isBlock) const;

  // The kinds in the order of the file.
  const std::vector<CompKind>& kinds() const { return kinds_; }

 private:
  CompKindTable() = default;

  std::vector<CompKind> kinds_;
  std::unordered_map<uint16_t, size_t> byCode_;
  std::optional<std::string> blockHeader_;
  std::string none_;
};

}  // namespace comptab
