// Sheet files read once a run. A circuit opens a sheet file once for each
// instance of it, and a run walks the design once for each table it writes;
// reading and checking the file every time would cost more than the rest of
// the listing. The cache keeps each file as it was read and DesignDb::open
// hands out working copies of it, so that what one opening changes in
// memory no other opening sees.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace comptab {

struct SheetData;

class SheetCache {
 public:
  // Sheets beyond this many bytes in memory make room by letting go of
  // the least recently used; the last one used is always kept.
  static constexpr size_t kDefaultBudget = size_t{256} << 20;

  explicit SheetCache(size_t budgetBytes = kDefaultBudget);
  ~SheetCache();
  SheetCache(const SheetCache&) = delete;
  SheetCache& operator=(const SheetCache&) = delete;

  // The sheet of `path` as read; null, with the reason in `reason`, when it
  // cannot be read. A file that failed is tried again on the next call.
  std::shared_ptr<const SheetData> get(const std::string& path, std::string* reason);
  // Makes `path` give `sheet` for the rest of the run, never read from the
  // file nor let go: for sheets that come from a design of another format,
  // made all at once.
  void hold(const std::string& path, std::shared_ptr<const SheetData> sheet);

  // A working copy of `sheet`, made in the room of one handed back when
  // there is one.
  std::unique_ptr<SheetData> workingCopy(std::shared_ptr<const SheetData> sheet);
  // Takes back a working copy no longer used, for the room of the next.
  void giveBack(std::unique_ptr<SheetData> copy);

 private:
  struct Entry {
    std::string path;
    std::shared_ptr<const SheetData> sheet;
    size_t bytes;
  };
  void makeRoom();

  size_t budget_;
  size_t held_ = 0;
  std::list<Entry> recent_;  // most recently used first
  std::unordered_map<std::string, std::list<Entry>::iterator> byPath_;
  std::unordered_map<std::string, std::shared_ptr<const SheetData>> kept_;
  // Copies handed back; a walk has no more open than its sheets nest.
  static constexpr size_t kSpareCopies = 8;
  std::vector<std::unique_ptr<SheetData>> spare_;
};

}  // namespace comptab
