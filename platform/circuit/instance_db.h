// The instance database of a circuit (docs/circuit.md): <circuit>/instance.db,
// an SQLite file built from the net list and the sheet files on the first
// run and read by every later one. It holds the sheet entries of the
// hierarchy, the blocks on each sheet, and for every sheet inside a block
// its instance components with the values that instance gives them.
//
// An InstanceDb owns everything it hands out: SheetInfo, BlockInstance,
// InstanceSheet and InstanceComponent are non-owning views, good while the
// database is open (an InstanceSheet and its components until its
// SheetInfo is aborted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/circuit/instance_lock.h"
#include "platform/support/sqlite_db.h"

namespace comptab {

class BlockInstance;
class ComponentRef;
class InstanceComponent;
class InstanceDb;
class InstanceSheet;
class NetList;
class SheetCache;

// The sheet entries of one level, the blocks of a sheet, or the components
// of an instance sheet, in stored order.
template <typename T>
class InstanceSequence {
 public:
  InstanceSequence() = default;
  explicit InstanceSequence(std::span<T* const> items) : items_(items) {}
  size_t size() const { return items_.size(); }
  // Null past the end.
  T* at(size_t i) const { return i < items_.size() ? items_[i] : nullptr; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::span<T* const> items_;
};

// One sheet of the hierarchy: a top-level sheet, or one instance of a sheet
// file inside a block. A file that several blocks instantiate has one entry
// per instance.
class SheetInfo {
 public:
  SheetInfo() = default;
  SheetInfo(const SheetInfo&) = delete;
  SheetInfo& operator=(const SheetInfo&) = delete;

  // The sheet file's path.
  const std::string& fileName() const { return fileName_; }
  int32_t sheetId() const { return sheetId_; }
  int32_t sheetNumber() const { return sheetNumber_; }
  // The block instance that holds this sheet; null at the top level.
  const BlockInstance* parentBlock() const { return parentBlock_; }
  InstanceSequence<BlockInstance> blocks() const { return InstanceSequence<BlockInstance>(blocks_); }
  // What load() made; null while the sheet is not loaded.
  const InstanceSheet* loadedSheet() const { return loaded_.get(); }

  // Reads the sheet's instance components (loading a loaded sheet again
  // gives it as it is). Null when the database cannot be read; then
  // `reason`, when given, says why in one line.
  const InstanceSheet* load(std::string* reason = nullptr);
  // Unloads the sheet; its InstanceSheet and components are gone.
  void abort();

 private:
  friend class InstanceDb;
  InstanceDb* db_ = nullptr;
  int64_t key_ = 0;  // the row in the database
  std::string fileName_;
  int32_t sheetId_ = 0;
  int32_t sheetNumber_ = 0;
  int depth_ = 0;
  const BlockInstance* parentBlock_ = nullptr;
  std::vector<BlockInstance*> blocks_;
  std::unique_ptr<InstanceSheet> loaded_;
};

// A block component on a sheet, with the sheets it instantiates.
class BlockInstance {
 public:
  BlockInstance() = default;
  BlockInstance(const BlockInstance&) = delete;
  BlockInstance& operator=(const BlockInstance&) = delete;

  // The block component's number on the sheet that holds it.
  int32_t componentNumber() const { return componentNumber_; }
  const SheetInfo& holdingSheet() const { return *holdingSheet_; }
  InstanceSequence<SheetInfo> childSheets() const { return InstanceSequence<SheetInfo>(childSheets_); }

 private:
  friend class InstanceDb;
  int32_t componentNumber_ = 0;
  SheetInfo* holdingSheet_ = nullptr;
  std::vector<SheetInfo*> childSheets_;
};

// One component of an instance sheet: the sheet component of that number,
// with the values this instance gives it.
class InstanceComponent {
 public:
  const InstanceSheet& instanceSheet() const { return *sheet_; }
  int32_t number() const { return number_; }
  // Puts the instance's values into the sheet component (in memory): each
  // value replaces the property of its name or is added after the others.
  void overwrite(const ComponentRef& component) const;

 private:
  friend class InstanceDb;
  friend class InstanceSheet;
  const InstanceSheet* sheet_ = nullptr;
  int32_t number_ = 0;
  uint32_t firstValue_ = 0;
  uint32_t valueCount_ = 0;
};

class InstanceSheet {
 public:
  InstanceSheet() = default;
  InstanceSheet(const InstanceSheet&) = delete;
  InstanceSheet& operator=(const InstanceSheet&) = delete;

  const SheetInfo& sheetInfo() const { return *info_; }
  InstanceSequence<const InstanceComponent> components() const {
    return InstanceSequence<const InstanceComponent>(order_);
  }

 private:
  friend class InstanceDb;
  friend class InstanceComponent;
  // A run with several tables keeps every loaded sheet until its last
  // table, so a value is two places in one block of the sheet's text
  // rather than two strings of its own: a quarter of the size or less.
  struct Value {
    uint32_t nameAt = 0;
    uint32_t nameSize = 0;
    uint32_t valueAt = 0;
    uint32_t valueSize = 0;
  };
  std::string_view text(uint32_t at, uint32_t size) const { return std::string_view(text_).substr(at, size); }
  const SheetInfo* info_ = nullptr;
  std::vector<InstanceComponent> components_;
  std::vector<const InstanceComponent*> order_;
  std::vector<Value> values_;
  std::string text_;
};

class InstanceDb {
 public:
  // Stored as the file's user_version; files of another version are
  // refused, and a new one is built only where there is no file.
  static constexpr int kSchemaVersion = 1;
  // Stored as the file's application_id: "KXIN".
  static constexpr int32_t kApplicationId = 0x4B58494E;
  // How long checkLock waits for another run by default; the environment
  // variable COMPTAB_LOCK_WAIT (whole seconds) can set it.
  static constexpr int kLockWaitSeconds = 30;

  InstanceDb();
  ~InstanceDb();
  InstanceDb(const InstanceDb&) = delete;
  InstanceDb& operator=(const InstanceDb&) = delete;

  // Opens the saved database of the circuit <parentDir>/<circuitName>, only
  // for reading. Null when it is not an instance database of this schema
  // version or its hierarchy does not hold together; then `reason`, when
  // given, says why in one line that starts with the file name.
  static std::unique_ptr<InstanceDb> open(const std::string& parentDir, const std::string& circuitName,
                                          const std::string& instanceFile, int mode, std::string* reason = nullptr);
  // True when a file the database was built from (the net list, a sheet
  // file inside a block) has changed since: its size or modification time
  // differs from what the database recorded; `reason`, when given, names
  // the file. A file that is gone, or a database that records nothing, is
  // not stale.
  bool isStale(std::string* reason = nullptr);
  // Waits (bounded) until no other run is building the instance database
  // of the circuit in `circuitDir`, by whatever path it reached the
  // circuit. Building one is safe while the lock is held. Not held:
  // `reason`, when given, says why.
  static InstanceLock checkLock(const std::string& circuitDir, std::string* reason = nullptr);
  // Builds the database in memory from the net list, reading each sheet
  // file inside a block once to learn its components (through `cache`
  // when given). Null (with `reason`) when a sheet file cannot be read or
  // the database cannot be built.
  static std::unique_ptr<InstanceDb> create(const std::string& parentDir, const std::string& circuitName,
                                            const std::string& instanceFile, const NetList& netList,
                                            std::string* reason = nullptr, SheetCache* cache = nullptr);
  // Writes a created database to its instance file, atomically. False when
  // it cannot, with `reason`, when given, saying why in one line. The caller
  // holds the circuit's lock, so the temporary files of runs killed while
  // saving are cleared away first.
  bool save(std::string* reason = nullptr);
  static void releaseNetList(std::unique_ptr<NetList>& netList);
  static void close(std::unique_ptr<InstanceDb>& db, int mode);

  InstanceSequence<SheetInfo> topSheets() const { return InstanceSequence<SheetInfo>(top_); }
  const std::string& instanceFile() const { return instanceFile_; }

 private:
  friend class SheetInfo;
  // Reads the sheet entries and blocks and ties them together; false (with
  // `reason`) when they do not make a tree of at most NetList::kMaxDepth.
  bool loadHierarchy(std::string* reason);
  const InstanceSheet* loadSheet(SheetInfo& info, std::string* reason);
  // Names the file in front of `why` for a caller that asked.
  bool fail(std::string* reason, const std::string& why) const;

  std::string circuitDir_;
  std::string instanceFile_;
  SqliteDb db_;
  std::unique_ptr<SqliteStatement> componentQuery_;
  std::unique_ptr<SqliteStatement> valueQuery_;
  std::deque<SheetInfo> sheets_;  // in the database's order
  std::deque<BlockInstance> blocks_;
  std::vector<SheetInfo*> top_;
};

}  // namespace comptab
