#include "platform/circuit/instance_db.h"

#include <chrono>
#include <limits>
#include <unordered_map>
#include <utility>

#include "platform/circuit/instance_builder.h"
#include "platform/circuit/instance_schema.h"
#include "platform/circuit/net_list.h"
#include "platform/circuit/sheet_path.h"
#include "platform/sheet/design_db.h"
#include "platform/support/environment.h"
#include "platform/support/file_replacement.h"
#include "platform/support/path.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

constexpr int kMaxLockWaitSeconds = 3600;

// A sheet's components, then its values, each read in one pass along its
// primary key and matched up by component position here: a join would look
// up each component's values on its own, which costs more than the reading.
const char* const kComponentQuery =
    "SELECT position, number FROM instance_components WHERE sheet = ?1 ORDER BY position";
const char* const kValueQuery =
    "SELECT component, name, value FROM instance_values WHERE sheet = ?1 ORDER BY component, position";

bool isInt32(SqliteStatement& row, int column) {
  if (row.columnType(column) != SqliteStatement::Type::Integer) return false;
  const int64_t value = row.columnInt(column);
  return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

}  // namespace

const InstanceSheet* SheetInfo::load(std::string* reason) {
  if (loaded_) return loaded_.get();
  return db_ != nullptr ? db_->loadSheet(*this, reason) : nullptr;
}

void SheetInfo::abort() { loaded_.reset(); }

void InstanceComponent::overwrite(const ComponentRef& component) const {
  for (uint32_t i = firstValue_; i < firstValue_ + valueCount_; ++i) {
    const InstanceSheet::Value& value = sheet_->values_[i];
    component.setProperty(sheet_->text(value.nameAt, value.nameSize), sheet_->text(value.valueAt, value.valueSize));
  }
}

InstanceDb::InstanceDb() = default;
InstanceDb::~InstanceDb() = default;

bool InstanceDb::fail(std::string* reason, const std::string& why) const {
  if (reason != nullptr) *reason = instanceFile_ + ": " + why;
  return false;
}

std::unique_ptr<InstanceDb> InstanceDb::open(const std::string& parentDir, const std::string& circuitName,
                                             const std::string& instanceFile, int /*mode*/, std::string* reason) {
  auto db = std::make_unique<InstanceDb>();
  db->circuitDir_ = joinPath(parentDir, circuitName);
  db->instanceFile_ = instanceFile;
  std::string why;
  bool ok = db->db_.openReadOnly(instanceFile, &why) || db->fail(reason, why);
  if (ok && !checkInstanceSchema(db->db_, &why)) ok = db->fail(reason, why);
  if (ok && !db->db_.checkFileSize(&why)) ok = db->fail(reason, why + "; remove it to have it built again");
  if (ok) ok = db->loadHierarchy(reason);
  if (ok) return db;
  return nullptr;
}

bool InstanceDb::isStale(std::string* reason) {
  // A database from a build that recorded no sources has no such table.
  const auto rows = db_.prepare("SELECT file, size, modified_ns FROM sources");
  if (!rows) return false;
  std::string file;
  while (rows->step() == SqliteStatement::Step::Row) {
    if (!rows->columnText(0, file)) return false;
    const auto now = fileStamp(joinPath(circuitDir_, file));
    if (now && !(*now == FileStamp{rows->columnInt(1), rows->columnInt(2)})) {
      if (reason != nullptr) *reason = joinPath(circuitDir_, file) + " has changed since the instance database was built";
      return true;
    }
  }
  return false;
}

InstanceLock InstanceDb::checkLock(const std::string& circuitDir, std::string* reason) {
  int seconds = kLockWaitSeconds;
  if (const auto text = lookupEnv("COMPTAB_LOCK_WAIT")) {
    int given = 0;
    if (parseInt(*text, given) && given >= 0 && given <= kMaxLockWaitSeconds) seconds = given;
  }
  return InstanceLock::acquire(circuitDir, std::chrono::seconds(seconds), reason);
}

std::unique_ptr<InstanceDb> InstanceDb::create(const std::string& parentDir, const std::string& circuitName,
                                               const std::string& instanceFile, const NetList& netList,
                                               std::string* reason, SheetCache* cache) {
  auto db = std::make_unique<InstanceDb>();
  db->circuitDir_ = joinPath(parentDir, circuitName);
  db->instanceFile_ = instanceFile;
  std::string why;
  bool ok = db->db_.openInMemory(&why) || db->fail(reason, why);
  if (ok && !buildInstanceDb(db->db_, netList, &why, cache)) ok = db->fail(reason, why);
  if (ok) ok = db->loadHierarchy(reason);
  if (ok) return db;
  return nullptr;
}

bool InstanceDb::save(std::string* reason) {
  FileReplacement::removeLeftovers(instanceFile_);
  FileReplacement file;
  if (!file.begin(instanceFile_, reason)) return false;
  std::string why;
  if (!db_.copyTo(file.tempPath(), &why)) return fail(reason, "cannot write " + file.tempPath() + ": " + why);
  return file.commit(reason);
}

void InstanceDb::releaseNetList(std::unique_ptr<NetList>& netList) { netList.reset(); }

void InstanceDb::close(std::unique_ptr<InstanceDb>& db, int /*mode*/) { db.reset(); }

// Entries are read in their stored order. A sheet must come after the sheet
// that holds its block, which keeps a damaged file from describing a cycle,
// and no deeper than a net list may nest.
bool InstanceDb::loadHierarchy(std::string* reason) {
  std::string why;
  componentQuery_ = db_.prepare(kComponentQuery, &why);
  if (componentQuery_) valueQuery_ = db_.prepare(kValueQuery, &why);
  const auto blockRows = db_.prepare("SELECT entry, sheet, component_number FROM blocks ORDER BY entry", &why);
  const auto sheetRows =
      db_.prepare("SELECT entry, parent_block, file, sheet_id, sheet_number FROM sheets ORDER BY entry", &why);
  if (!componentQuery_ || !valueQuery_ || !blockRows || !sheetRows) return fail(reason, why);

  std::unordered_map<int64_t, size_t> blockByEntry;  // index in blocks_
  std::vector<int64_t> holders;                      // the holding sheet's entry of each block
  SqliteStatement::Step step;
  while ((step = blockRows->step(&why)) == SqliteStatement::Step::Row) {
    if (blockRows->columnType(0) != SqliteStatement::Type::Integer ||
        blockRows->columnType(1) != SqliteStatement::Type::Integer || !isInt32(*blockRows, 2))
      return fail(reason, "a block entry is damaged");
    BlockInstance& block = blocks_.emplace_back();
    block.componentNumber_ = static_cast<int32_t>(blockRows->columnInt(2));
    blockByEntry.emplace(blockRows->columnInt(0), blocks_.size() - 1);
    holders.push_back(blockRows->columnInt(1));
  }
  if (step == SqliteStatement::Step::Error) return fail(reason, why);

  std::unordered_map<int64_t, SheetInfo*> sheetByEntry;
  // The database may have been edited: its paths obey the net list's rules.
  SheetPathCheck paths(circuitDir_);
  std::string file;
  while ((step = sheetRows->step(&why)) == SqliteStatement::Step::Row) {
    const int64_t entry = sheetRows->columnInt(0);
    const SqliteStatement::Type parentType = sheetRows->columnType(1);
    if (sheetRows->columnType(0) != SqliteStatement::Type::Integer ||
        (parentType != SqliteStatement::Type::Integer && parentType != SqliteStatement::Type::Null) ||
        sheetRows->columnType(2) != SqliteStatement::Type::Text || !isInt32(*sheetRows, 3) || !isInt32(*sheetRows, 4))
      return fail(reason, strprintf("sheet entry %lld is damaged", static_cast<long long>(entry)));
    if (!sheetRows->columnText(2, file, &why)) return fail(reason, why);
    if (const std::string problem = paths.problem(file); !problem.empty())
      return fail(reason, strprintf("sheet entry %lld: %s", static_cast<long long>(entry), problem.c_str()));
    SheetInfo& info = sheets_.emplace_back();
    info.db_ = this;
    info.key_ = entry;
    info.fileName_ = joinPath(circuitDir_, file);
    info.sheetId_ = static_cast<int32_t>(sheetRows->columnInt(3));
    info.sheetNumber_ = static_cast<int32_t>(sheetRows->columnInt(4));
    if (parentType == SqliteStatement::Type::Null) {
      top_.push_back(&info);
    } else {
      const auto parent = blockByEntry.find(sheetRows->columnInt(1));
      const auto holder =
          parent == blockByEntry.end() ? sheetByEntry.end() : sheetByEntry.find(holders[parent->second]);
      if (holder == sheetByEntry.end())
        return fail(reason,
                    strprintf("sheet entry %lld lies in a block of no sheet before it", static_cast<long long>(entry)));
      info.depth_ = holder->second->depth_ + 1;
      if (info.depth_ > NetList::kMaxDepth)
        return fail(reason, strprintf("sheet entry %lld nests deeper than %d levels", static_cast<long long>(entry),
                                      NetList::kMaxDepth));
      BlockInstance& block = blocks_[parent->second];
      info.parentBlock_ = &block;
      block.childSheets_.push_back(&info);
    }
    sheetByEntry.emplace(entry, &info);
  }
  if (step == SqliteStatement::Step::Error) return fail(reason, why);

  // Each sheet's blocks in their stored order.
  for (size_t i = 0; i < blocks_.size(); ++i) {
    const auto holder = sheetByEntry.find(holders[i]);
    if (holder == sheetByEntry.end()) return fail(reason, "a block entry lies on no sheet");
    blocks_[i].holdingSheet_ = holder->second;
    holder->second->blocks_.push_back(&blocks_[i]);
  }
  return true;
}

const InstanceSheet* InstanceDb::loadSheet(SheetInfo& info, std::string* reason) {
  auto sheet = std::make_unique<InstanceSheet>();
  sheet->info_ = &info;
  std::string why;
  SqliteStatement& components = *componentQuery_;
  bool ok = (components.reset(&why) && components.bind(1, info.key_, &why)) || fail(reason, why);
  std::vector<int64_t> positions;
  SqliteStatement::Step step = SqliteStatement::Step::Error;
  while (ok && (step = components.step(&why)) == SqliteStatement::Step::Row) {
    if (components.columnType(0) != SqliteStatement::Type::Integer || !isInt32(components, 1)) {
      ok = fail(reason,
                strprintf("an instance component of sheet entry %lld is damaged", static_cast<long long>(info.key_)));
      break;
    }
    positions.push_back(components.columnInt(0));
    sheet->components_.emplace_back().number_ = static_cast<int32_t>(components.columnInt(1));
  }
  if (ok && step == SqliteStatement::Step::Error) ok = fail(reason, why);

  // Values come in component order, each component's in its own order;
  // values of no component of the sheet are passed over.
  SqliteStatement& values = *valueQuery_;
  if (ok) ok = (values.reset(&why) && values.bind(1, info.key_, &why)) || fail(reason, why);
  size_t at = 0;
  std::string name;
  std::string text;
  while (ok && (step = values.step(&why)) == SqliteStatement::Step::Row) {
    if (values.columnType(0) != SqliteStatement::Type::Integer) continue;
    const int64_t position = values.columnInt(0);
    while (at < positions.size() && positions[at] < position) ++at;
    if (at == positions.size() || positions[at] != position) continue;
    if (values.columnType(1) == SqliteStatement::Type::Null) continue;
    InstanceComponent& component = sheet->components_[at];
    if (component.valueCount_ == 0) component.firstValue_ = static_cast<uint32_t>(sheet->values_.size());
    if (!values.columnText(1, name, &why) || !values.columnText(2, text, &why)) {
      ok = fail(reason, why);
      break;
    }
    if (sheet->text_.size() + name.size() + text.size() > UINT32_MAX) {
      ok = fail(reason, strprintf("the instance values of sheet entry %lld are too long",
                                  static_cast<long long>(info.key_)));
      break;
    }
    InstanceSheet::Value& value = sheet->values_.emplace_back();
    value.nameAt = static_cast<uint32_t>(sheet->text_.size());
    value.nameSize = static_cast<uint32_t>(name.size());
    sheet->text_ += name;
    value.valueAt = static_cast<uint32_t>(sheet->text_.size());
    value.valueSize = static_cast<uint32_t>(text.size());
    sheet->text_ += text;
    ++component.valueCount_;
  }
  if (ok && step == SqliteStatement::Step::Error) ok = fail(reason, why);
  if (!ok) return nullptr;
  // Kept until the run's last table: no room to spare.
  sheet->values_.shrink_to_fit();
  sheet->text_.shrink_to_fit();
  sheet->order_.reserve(sheet->components_.size());
  for (InstanceComponent& component : sheet->components_) {
    component.sheet_ = sheet.get();
    sheet->order_.push_back(&component);
  }
  info.loaded_ = std::move(sheet);
  return info.loaded_.get();
}

}  // namespace comptab
