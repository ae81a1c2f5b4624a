#include "platform/circuit/instance_builder.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/circuit/instance_schema.h"
#include "platform/circuit/net_list.h"
#include "platform/sheet/design_db.h"
#include "platform/support/path.h"
#include "platform/support/sqlite_db.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

class InstanceBuilder {
 public:
  InstanceBuilder(SqliteDb& db, const NetList& netList, std::string* reason, SheetCache* cache)
      : db_(db), netList_(netList), reason_(reason), cache_(cache) {}

  bool build();

 private:
  bool prepare();
  // Adds up the components of every sheet instance before anything is
  // built, so that a small net list that multiplies out to a huge circuit
  // is refused at once.
  bool checkSize();
  bool countComponents(const NetSheet& sheet, bool nested, uint64_t& total);
  bool addSheet(const NetSheet& sheet, int64_t parentBlock, bool nested);
  bool addComponents(const NetSheet& sheet, int64_t entry);
  const std::vector<int32_t>* sheetComponents(const NetSheet& sheet);
  // Runs a statement whose parameters are bound, and makes it ready again.
  bool run(SqliteStatement& statement);
  // The net list and every sheet file read, with their stamps.
  bool addSources();

  SqliteDb& db_;
  const NetList& netList_;
  std::string* reason_;
  SheetCache* cache_;
  std::unique_ptr<SqliteStatement> insertSheet_;
  std::unique_ptr<SqliteStatement> insertBlock_;
  std::unique_ptr<SqliteStatement> insertComponent_;
  std::unique_ptr<SqliteStatement> insertValue_;
  int64_t nextSheet_ = 1;
  int64_t nextBlock_ = 1;
  // The component numbers of each sheet file, in stored order: a file that
  // many blocks instantiate is read once.
  std::unordered_map<std::string, std::vector<int32_t>> fileComponents_;
  std::vector<std::pair<std::string, FileStamp>> sources_;
};

bool InstanceBuilder::build() {
  if (!checkSize()) return false;
  if (!db_.exec(kInstanceSchemaSql, reason_) || !db_.exec("BEGIN", reason_) || !prepare()) return false;
  for (const NetSheet& top : netList_.topSheets())
    if (!addSheet(top, 0, false)) return false;
  if (!addSources()) return false;
  return db_.exec("COMMIT", reason_);
}

bool InstanceBuilder::checkSize() {
  uint64_t total = 0;
  for (const NetSheet& top : netList_.topSheets())
    if (!countComponents(top, false, total)) return false;
  return true;
}

bool InstanceBuilder::countComponents(const NetSheet& sheet, bool nested, uint64_t& total) {
  if (nested) {
    const std::vector<int32_t>* numbers = sheetComponents(sheet);
    if (numbers == nullptr) return false;
    total += numbers->size();
    if (total > kMaxInstanceComponents) {
      *reason_ = strprintf("the circuit's sheet instances hold more than %llu components in all (the sheet \"%s\" "
                           "instantiated again and again?); a circuit may hold at most that many",
                           static_cast<unsigned long long>(kMaxInstanceComponents), sheet.file.c_str());
      return false;
    }
  }
  for (const NetBlock& block : sheet.blocks)
    for (const NetSheet& child : block.sheets)
      if (!countComponents(child, true, total)) return false;
  return true;
}

bool InstanceBuilder::prepare() {
  insertSheet_ = db_.prepare("INSERT INTO sheets VALUES (?1, ?2, ?3, ?4, ?5)", reason_);
  insertBlock_ = db_.prepare("INSERT INTO blocks VALUES (?1, ?2, ?3)", reason_);
  insertComponent_ = db_.prepare("INSERT INTO instance_components VALUES (?1, ?2, ?3)", reason_);
  insertValue_ = db_.prepare("INSERT INTO instance_values VALUES (?1, ?2, ?3, ?4, ?5)", reason_);
  return insertSheet_ && insertBlock_ && insertComponent_ && insertValue_;
}

bool InstanceBuilder::addSources() {
  const auto insert = db_.prepare("INSERT OR REPLACE INTO sources VALUES (?1, ?2, ?3)", reason_);
  if (!insert) return false;
  sources_.emplace_back(netList_.fileName(), netList_.stamp());
  for (const auto& [file, stamp] : sources_) {
    if (!insert->bind(1, file, reason_) || !insert->bind(2, stamp.size, reason_) ||
        !insert->bind(3, stamp.modifiedNs, reason_) || !run(*insert))
      return false;
  }
  return true;
}

bool InstanceBuilder::run(SqliteStatement& statement) {
  return statement.step(reason_) == SqliteStatement::Step::Done && statement.reset(reason_);
}

// Entries are numbered depth first, so a sheet always comes after the sheet
// that holds its block.
bool InstanceBuilder::addSheet(const NetSheet& sheet, int64_t parentBlock, bool nested) {
  const int64_t entry = nextSheet_++;
  SqliteStatement& insert = *insertSheet_;
  // A top-level sheet's parent stays unbound: NULL.
  if (!insert.bind(1, entry, reason_) || (nested && !insert.bind(2, parentBlock, reason_)) ||
      !insert.bind(3, sheet.file, reason_) || !insert.bind(4, int64_t{sheet.id}, reason_) ||
      !insert.bind(5, int64_t{sheet.number}, reason_) || !run(insert))
    return false;
  if (nested && !addComponents(sheet, entry)) return false;
  for (const NetBlock& block : sheet.blocks) {
    const int64_t blockEntry = nextBlock_++;
    SqliteStatement& add = *insertBlock_;
    if (!add.bind(1, blockEntry, reason_) || !add.bind(2, entry, reason_) ||
        !add.bind(3, int64_t{block.component}, reason_) || !run(add))
      return false;
    for (const NetSheet& child : block.sheets)
      if (!addSheet(child, blockEntry, true)) return false;
  }
  return true;
}

// Every component of the sheet file, in its order, with this instance's
// values; then the numbers the net list gives values for that the file
// lacks (they are listed only if the file gains them).
bool InstanceBuilder::addComponents(const NetSheet& sheet, int64_t entry) {
  const std::vector<int32_t>* numbers = sheetComponents(sheet);
  if (numbers == nullptr) return false;
  std::unordered_map<int32_t, const NetComponent*> given;
  given.reserve(sheet.components.size());
  for (const NetComponent& component : sheet.components) given.emplace(component.number, &component);

  int64_t position = 0;
  const auto add = [&](int32_t number) {
    const int64_t at = position++;
    SqliteStatement& insert = *insertComponent_;
    if (!insert.bind(1, entry, reason_) || !insert.bind(2, at, reason_) || !insert.bind(3, int64_t{number}, reason_) ||
        !run(insert))
      return false;
    const auto found = given.find(number);
    if (found == given.end()) return true;
    const std::vector<NetValue>& values = found->second->values;
    given.erase(found);
    for (size_t i = 0; i < values.size(); ++i) {
      SqliteStatement& value = *insertValue_;
      if (!value.bind(1, entry, reason_) || !value.bind(2, at, reason_) ||
          !value.bind(3, static_cast<int64_t>(i), reason_) || !value.bind(4, values[i].name, reason_) ||
          !value.bind(5, values[i].value, reason_) || !run(value))
        return false;
    }
    return true;
  };
  for (const int32_t number : *numbers)
    if (!add(number)) return false;
  for (const NetComponent& component : sheet.components)
    if (given.count(component.number) != 0 && !add(component.number)) return false;
  return true;
}

const std::vector<int32_t>* InstanceBuilder::sheetComponents(const NetSheet& sheet) {
  const auto known = fileComponents_.find(sheet.file);
  if (known != fileComponents_.end()) return &known->second;
  const std::string path = netList_.sheetPath(sheet);
  sources_.emplace_back(sheet.file, fileStamp(path).value_or(FileStamp{}));
  std::string why;
  DesignDb file = DesignDb::open(nullptr, path, 2, &why, cache_);
  const SheetRef content(file.lookup(DesignDb::kSheetType, "Sheet"));
  if (!content.isValid()) {
    *reason_ = why;
    return nullptr;
  }
  std::vector<int32_t> numbers;
  numbers.reserve(content.components().size());
  for (const ComponentRef component : content.components()) numbers.push_back(component.number());
  file.close(1);
  return &fileComponents_.emplace(sheet.file, std::move(numbers)).first->second;
}

}  // namespace

bool buildInstanceDb(SqliteDb& db, const NetList& netList, std::string* reason, SheetCache* cache) {
  InstanceBuilder builder(db, netList, reason, cache);
  return builder.build();
}

}  // namespace comptab
