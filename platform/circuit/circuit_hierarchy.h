// The hierarchy of a circuit as the walk reads it: the top-level sheets,
// the blocks on each sheet and the sheet instances inside each block, and
// for every sheet inside a block its instance components with the values
// that instance gives them. The saved SQLite instance database of a native
// circuit (instance_db.h) is one; a hierarchy built in memory by a reader
// of another format (memory_hierarchy.h) is another.
//
// A hierarchy owns everything it hands out: SheetInfo, BlockInstance,
// InstanceSheet and InstanceComponent are non-owning views, good while the
// hierarchy lives (an InstanceSheet and its components until its SheetInfo
// is aborted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class CircuitHierarchy;
class InstanceDb;
class MemoryHierarchy;

// The most components that the sheet instances of one circuit may hold in
// all: a million-component circuit lists, while a net list of a few hundred
// kilobytes that instantiates a large sheet thousands of times is refused
// before it fills memory and disk.
inline constexpr uint64_t kMaxInstanceComponents = 2'000'000;

class BlockInstance;
class ComponentRef;
class InstanceComponent;
class InstanceSheet;

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
  friend class MemoryHierarchy;
  CircuitHierarchy* db_ = nullptr;
  int64_t key_ = 0;  // the hierarchy's own key of the sheet
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
  friend class MemoryHierarchy;
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
  friend class MemoryHierarchy;
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
  friend class MemoryHierarchy;
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

// What the walk asks of a circuit's hierarchy, whatever keeps it.
class CircuitHierarchy {
 public:
  CircuitHierarchy() = default;
  virtual ~CircuitHierarchy() = default;
  CircuitHierarchy(const CircuitHierarchy&) = delete;
  CircuitHierarchy& operator=(const CircuitHierarchy&) = delete;

  virtual InstanceSequence<SheetInfo> topSheets() const = 0;

 private:
  friend class SheetInfo;
  // What SheetInfo::load does when the sheet is not loaded.
  virtual const InstanceSheet* loadSheet(SheetInfo& info, std::string* reason) = 0;
};

}  // namespace comptab
