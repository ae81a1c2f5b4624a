// The instance database of a circuit (docs/circuit.md): <circuit>/instance.db,
// an SQLite file built from the net list and the sheet files on the first
// run and read by every later one. It holds the sheet entries of the
// hierarchy, the blocks on each sheet, and for every sheet inside a block
// its instance components with the values that instance gives them.
// The views it hands out are those of circuit_hierarchy.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/circuit/circuit_hierarchy.h"
#include "platform/circuit/instance_lock.h"
#include "platform/support/sqlite_db.h"

namespace comptab {

class NetList;
class SheetCache;

class InstanceDb final : public CircuitHierarchy {
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
  ~InstanceDb() override;

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

  InstanceSequence<SheetInfo> topSheets() const override { return InstanceSequence<SheetInfo>(top_); }
  const std::string& instanceFile() const { return instanceFile_; }

 private:
  friend class SheetInfo;
  // Reads the sheet entries and blocks and ties them together; false (with
  // `reason`) when they do not make a tree of at most NetList::kMaxDepth.
  bool loadHierarchy(std::string* reason);
  const InstanceSheet* loadSheet(SheetInfo& info, std::string* reason) override;
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
