// The rows of a table that are still open to others, by a key, so that the
// first open row of a key is found at once instead of by walking the table.
// Packaging looks up the package of a reference and destination this way,
// and grouping the group of a key value.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace comptab {

class FirstRowIndex {
 public:
  // The lowest row position open under `key`, or -1.
  int first(std::string_view key) const;
  // Opens `row` under `key`. A row is open under one key at a time.
  void open(int row, std::string key);
  // A row's key changed, or it is closed (`stillOpen` false): merging can
  // do either to a row that other rows were merged into.
  void update(int row, std::string key, bool stillOpen);

 private:
  struct KeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
  };
  void remove(int row, const std::string& key);

  // Positions ascending; most keys hold a single row.
  std::unordered_map<std::string, std::vector<int>, KeyHash, std::equal_to<>> rowsByKey_;
  std::unordered_map<int, std::string> keyOfRow_;
};

}  // namespace comptab
