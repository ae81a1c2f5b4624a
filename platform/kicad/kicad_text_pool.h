// Copies of the texts a schematic's model keeps, so that the file's bytes
// can be let go once it is read. A sheet repeats most of its texts (field
// names, library ids, footprints, the instance path of every symbol): a
// text equal to a recent one is mostly stored once while the file is read.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace comptab {

class KicadTextPool {
 public:
  // A copy of `text`, shared with an equal text added before when that one
  // is still remembered; it stays where it is as long as the pool lives.
  std::string_view add(std::string_view text);
  // A copy of a text no other is expected to equal (a uuid): not looked up.
  std::string_view addUnique(std::string_view text);
  // Forgets which texts were added (a later add shares none of them); the
  // texts stay.
  void endSharing();
  // The bytes the texts take.
  size_t bytes() const { return stored_; }

 private:
  char* room(size_t size);

  std::vector<std::unique_ptr<char[]>> blocks_;     // of short texts
  std::vector<std::unique_ptr<char[]>> longTexts_;  // one each
  char* free_ = nullptr;                            // in the last block
  size_t left_ = 0;
  size_t stored_ = 0;
  std::vector<std::string_view> slots_;  // sets of two by hash; an empty view is free
};

}  // namespace comptab
