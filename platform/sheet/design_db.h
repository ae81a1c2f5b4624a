// The design database of a sheet file (docs/sheet-file.md).
//
// DesignDb owns an open sheet: open() reads the whole file once, checks all
// of it and either holds the sheet or holds nothing and a reason. Everything
// else here is a cheap, non-owning view into an open DesignDb, good until it
// is closed or destroyed: a DesignRef as lookups and iteration give it, and
// the typed handles built from one (SheetRef, ZoneRef, ComponentRef, PinRef,
// PropertyRef). Building a typed handle from a reference of another kind or
// of nothing gives an invalid handle; every accessor of an invalid handle
// answers with zero or an empty text.
//
// Nothing is ever written back to the file: the zone offset commands and
// ComponentRef::setProperty change only the sheet in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/sheet/design_types.h"

namespace comptab {

class DataResource;
class SheetCache;
struct SheetData;

enum class RefKind : uint8_t { None, Sheet, Zone, Component, Pin, Property };

class DesignRef {
 public:
  DesignRef() = default;
  RefKind kind() const { return kind_; }
  bool isValid() const { return kind_ != RefKind::None; }

 private:
  friend class DesignDb;
  friend class RefSequence;
  friend class SheetRef;
  friend class ZoneRef;
  friend class ComponentRef;
  friend class PinRef;
  friend class PropertyRef;
  DesignRef(RefKind kind, SheetData* sheet, uint32_t index) : sheet_(sheet), index_(index), kind_(kind) {}
  SheetData* sheet_ = nullptr;
  uint32_t index_ = 0;
  RefKind kind_ = RefKind::None;
};

// The components of a sheet, or the properties or pins of one element, in
// stored order. A sequence is a snapshot: properties set later are not in it.
class RefSequence {
 public:
  RefSequence() = default;
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // The i-th element; an invalid reference past the end.
  DesignRef at(size_t i) const {
    return i < count_ ? DesignRef(kind_, sheet_, first_ + static_cast<uint32_t>(i)) : DesignRef();
  }

  class Iterator {
   public:
    DesignRef operator*() const { return DesignRef(kind_, sheet_, index_); }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    friend class RefSequence;
    Iterator(RefKind kind, SheetData* sheet, uint32_t index) : sheet_(sheet), index_(index), kind_(kind) {}
    SheetData* sheet_;
    uint32_t index_;
    RefKind kind_;
  };
  Iterator begin() const { return Iterator(kind_, sheet_, first_); }
  Iterator end() const { return Iterator(kind_, sheet_, first_ + count_); }

 private:
  friend class SheetRef;
  friend class ComponentRef;
  friend class PinRef;
  RefSequence(RefKind kind, SheetData* sheet, uint32_t first, uint32_t count)
      : sheet_(sheet), first_(first), count_(count), kind_(kind) {}
  SheetData* sheet_ = nullptr;
  uint32_t first_ = 0;
  uint32_t count_ = 0;
  RefKind kind_ = RefKind::None;
};

// Walks one sequence, and can be aimed at another one afterwards.
class RefIterator {
 public:
  RefIterator() = default;
  explicit RefIterator(const RefSequence& sequence) : sequence_(sequence) {}
  // Starts again at the first element of `sequence`.
  void aim(const RefSequence& sequence) {
    sequence_ = sequence;
    i_ = 0;
  }
  bool notEnd() const { return i_ < sequence_.size(); }
  // Invalid at the end.
  DesignRef current() const { return sequence_.at(i_); }
  void advance() {
    if (notEnd()) ++i_;
  }

 private:
  RefSequence sequence_;
  size_t i_ = 0;
};

class PropertyRef {
 public:
  PropertyRef() = default;
  // Implicit so that `for (PropertyRef p : pin.properties())` reads naturally.
  PropertyRef(DesignRef ref);  // NOLINT(google-explicit-constructor)
  bool isValid() const { return sheet_ != nullptr; }
  std::string_view name() const;
  std::string_view value() const;

 private:
  friend class ComponentRef;
  friend class PinRef;
  PropertyRef(SheetData* sheet, uint32_t index) : sheet_(sheet), index_(index) {}
  static PropertyRef find(SheetData* sheet, uint32_t first, uint32_t count, std::string_view name);
  SheetData* sheet_ = nullptr;
  uint32_t index_ = 0;
};

class PinRef {
 public:
  PinRef() = default;
  PinRef(DesignRef ref);  // NOLINT(google-explicit-constructor)
  bool isValid() const { return sheet_ != nullptr; }
  RefSequence properties() const;
  // The first property of that exact name; invalid when the pin has none.
  PropertyRef property(std::string_view name) const;

 private:
  SheetData* sheet_ = nullptr;
  uint32_t index_ = 0;
};

class ComponentRef {
 public:
  static constexpr uint32_t kMirror = 4;
  static constexpr uint32_t kDisplayContents = 8;

  ComponentRef() = default;
  ComponentRef(DesignRef ref);  // NOLINT(google-explicit-constructor)
  bool isValid() const { return sheet_ != nullptr; }

  int32_t number() const;
  // Type code in the lower, kind code in the upper 16 bits.
  uint32_t typeWord() const;
  uint16_t typeCode() const { return static_cast<uint16_t>(typeWord() & 0xFFFFu); }
  uint16_t kindCode() const { return static_cast<uint16_t>(typeWord() >> 16); }
  // kMirror, kDisplayContents; the upper 16 bits hold the bit count.
  uint32_t attributes() const;
  bool isMirrored() const { return (attributes() & kMirror) != 0; }
  bool displaysContents() const { return (attributes() & kDisplayContents) != 0; }
  uint16_t bitCount() const { return static_cast<uint16_t>(attributes() >> 16); }
  Point position() const;
  double angle() const;  // radians
  double scale() const;
  std::string_view symbolName() const;
  int32_t pathNumber() const;
  int32_t color() const;
  RefSequence properties() const;
  RefSequence pins() const;
  // The property of that exact name; invalid when the component has none.
  PropertyRef property(std::string_view name) const;

  // Gives the property a new value in memory, in its place, or appends it
  // when the component has no property of that name. For values that a
  // circuit instance holds for the sheet's component. An empty name is
  // refused (false). Sequences and PropertyRefs taken before see the old
  // values.
  bool setProperty(std::string_view name, std::string_view value) const;

 private:
  friend class SheetRef;
  ComponentRef(SheetData* sheet, uint32_t index) : sheet_(sheet), index_(index) {}
  SheetData* sheet_ = nullptr;
  uint32_t index_ = 0;
};

class SheetRef {
 public:
  SheetRef() = default;
  SheetRef(DesignRef ref);  // NOLINT(google-explicit-constructor)
  bool isValid() const { return sheet_ != nullptr; }
  Box region() const;
  // False when the file gives no positions: position() is then (0, 0) for
  // every component and stands for nothing.
  bool isPlaced() const;
  RefSequence components() const;
  // The component with that number, found through an index; invalid when
  // there is none.
  ComponentRef component(int32_t number) const;

 private:
  SheetData* sheet_ = nullptr;
};

// The sheet's zone grid.
class ZoneRef {
 public:
  ZoneRef() = default;
  ZoneRef(DesignRef ref);  // NOLINT(google-explicit-constructor)
  bool isValid() const { return sheet_ != nullptr; }
  Point offset() const;
  Point pitch() const;  // both at least 1
  // 0 none; 1 a grid line through the sheet's centre; 2 a cell centred on it.
  int32_t autoset() const;
  int32_t origin() const;          // 0 to 3: the corner the grid counts from
  std::string_view charX() const;  // first column label
  std::string_view charY() const;  // first row label
  // Labels name the row first, without a dash ("B3"): a KiCad sheet's grid.
  bool rowFirst() const;

 private:
  friend class ZoneOffsetXCommand;
  friend class ZoneOffsetYCommand;
  SheetData* sheet_ = nullptr;
};

// Move the open sheet's zone grid. The change lives only in memory and is
// seen by every later read of the grid.
class ZoneOffsetXCommand {
 public:
  ZoneOffsetXCommand(const ZoneRef& zone, int32_t x) : zone_(zone), x_(x) {}
  bool isValid() const { return zone_.isValid(); }
  // False, and nothing changes, when the target is not valid.
  bool execute();

 private:
  ZoneRef zone_;
  int32_t x_;
};

class ZoneOffsetYCommand {
 public:
  ZoneOffsetYCommand(const ZoneRef& zone, int32_t y) : zone_(zone), y_(y) {}
  bool isValid() const { return zone_.isValid(); }
  bool execute();

 private:
  ZoneRef zone_;
  int32_t y_;
};

class DesignDb {
 public:
  // What lookup() finds.
  static constexpr int kSheetType = 5;
  static constexpr int kZoneType = 21;
  // The largest sheet file that open() reads.
  static constexpr size_t kMaxFileBytes = size_t{1} << 30;

  // True when the library can work on this machine; call once before open().
  static bool initialize();

  // Reads and checks the whole sheet file. The result is valid only when all
  // of the file was read and is a sheet of a version this library knows;
  // otherwise `reason`, when given, says why in one line ("<file>: <what
  // was wrong, and where>"). The library only reads, so every mode opens
  // the file for reading; the data resource is not needed. With a cache, a
  // file it holds is not read again (see sheet_cache.h).
  static DesignDb open(const DataResource* dataResource, const std::string& sheetFile, int mode,
                       std::string* reason = nullptr, SheetCache* cache = nullptr);

  // Reads `path` with a reader of another file format that builds the same
  // sheet (a library above this one); the result is as for open().
  using SheetFileReader = bool (*)(const std::string& path, SheetData& sheet, std::string* reason);
  static DesignDb openWith(SheetFileReader reader, const std::string& path, std::string* reason = nullptr);

  DesignDb();
  ~DesignDb();
  DesignDb(DesignDb&&) noexcept;
  DesignDb& operator=(DesignDb&&) noexcept;

  bool isValid() const { return sheet_ != nullptr; }

  // (kSheetType, "Sheet") gives the sheet, (kZoneType, "Zone") its zone grid
  // when it has one; anything else gives an invalid reference.
  DesignRef lookup(int type, std::string_view name) const;

  // Lets go of the sheet without saving anything; handles taken from it are
  // dead from then on. Closing a closed or invalid database does nothing.
  // A working copy goes back to its cache, which must outlive the database.
  void close(int mode = 1);

 private:
  std::unique_ptr<SheetData> sheet_;
  SheetCache* cache_ = nullptr;  // where a working copy came from
};

}  // namespace comptab
