#include "platform/sheet/design_db.h"

#include <algorithm>
#include <utility>

#include "platform/sheet/sheet_cache.h"
#include "platform/sheet/sheet_data.h"
#include "platform/sheet/sheet_reader.h"

namespace comptab {

PropertyRef::PropertyRef(DesignRef ref) {
  if (ref.kind_ == RefKind::Property) {
    sheet_ = ref.sheet_;
    index_ = ref.index_;
  }
}

PropertyRef PropertyRef::find(SheetData* sheet, uint32_t first, uint32_t count, std::string_view name) {
  for (uint32_t i = first; i < first + count; ++i)
    if (sheet->properties[i].name() == name) return PropertyRef(sheet, i);
  return {};
}

std::string_view PropertyRef::name() const { return sheet_ ? sheet_->properties[index_].name() : std::string_view(); }
std::string_view PropertyRef::value() const { return sheet_ ? sheet_->properties[index_].value() : std::string_view(); }

PinRef::PinRef(DesignRef ref) {
  if (ref.kind_ == RefKind::Pin) {
    sheet_ = ref.sheet_;
    index_ = ref.index_;
  }
}

RefSequence PinRef::properties() const {
  if (!sheet_) return {};
  const Block block = sheet_->pins[index_].properties;
  return RefSequence(RefKind::Property, sheet_, block.first, block.count);
}

PropertyRef PinRef::property(std::string_view name) const {
  return sheet_ ? PropertyRef::find(sheet_, sheet_->pins[index_].properties.first,
                                    sheet_->pins[index_].properties.count, name)
                : PropertyRef();
}

ComponentRef::ComponentRef(DesignRef ref) {
  if (ref.kind_ == RefKind::Component) {
    sheet_ = ref.sheet_;
    index_ = ref.index_;
  }
}

int32_t ComponentRef::number() const { return sheet_ ? sheet_->components[index_].number : 0; }
uint32_t ComponentRef::typeWord() const { return sheet_ ? sheet_->components[index_].typeWord : 0; }
uint32_t ComponentRef::attributes() const { return sheet_ ? sheet_->components[index_].attributes : 0; }
Point ComponentRef::position() const { return sheet_ ? sheet_->components[index_].position : Point(); }
double ComponentRef::angle() const { return sheet_ ? sheet_->components[index_].angle : 0.0; }
double ComponentRef::scale() const { return sheet_ ? sheet_->components[index_].scale : 0.0; }
std::string_view ComponentRef::symbolName() const {
  return sheet_ ? sheet_->components[index_].symbolName : std::string_view();
}
int32_t ComponentRef::pathNumber() const { return sheet_ ? sheet_->components[index_].pathNumber : 0; }
int32_t ComponentRef::color() const { return sheet_ ? sheet_->components[index_].color : 0; }

RefSequence ComponentRef::properties() const {
  if (!sheet_) return {};
  const Block block = sheet_->components[index_].properties;
  return RefSequence(RefKind::Property, sheet_, block.first, block.count);
}

RefSequence ComponentRef::pins() const {
  if (!sheet_) return {};
  const Block block = sheet_->components[index_].pins;
  return RefSequence(RefKind::Pin, sheet_, block.first, block.count);
}

PropertyRef ComponentRef::property(std::string_view name) const {
  return sheet_ ? PropertyRef::find(sheet_, sheet_->components[index_].properties.first,
                                    sheet_->components[index_].properties.count, name)
                : PropertyRef();
}

bool ComponentRef::setProperty(std::string_view name, std::string_view value) const {
  if (!sheet_ || name.empty()) return false;
  std::vector<PropertyData>& all = sheet_->properties;
  Block& block = sheet_->components[index_].properties;
  for (uint32_t i = block.first; i < block.first + block.count; ++i) {
    if (all[i].name() == name) {
      all[i] = PropertyData(all[i].name(), sheet_->texts.addLater(value));
      return true;
    }
  }
  // A new name goes after the component's last property. When other
  // entries follow that one, the component's run moves to the end of the
  // array first; the old run stays where it was, unused.
  if (block.first + block.count != all.size()) {
    const uint32_t moved = static_cast<uint32_t>(all.size());
    all.reserve(all.size() + block.count + 1);
    for (uint32_t i = 0; i < block.count; ++i) all.push_back(all[block.first + i]);
    block.first = moved;
  }
  all.push_back({sheet_->texts.addLater(name), sheet_->texts.addLater(value)});
  ++block.count;
  return true;
}

SheetRef::SheetRef(DesignRef ref) {
  if (ref.kind_ == RefKind::Sheet) sheet_ = ref.sheet_;
}

Box SheetRef::region() const { return sheet_ ? sheet_->region : Box(); }
bool SheetRef::isPlaced() const { return sheet_ != nullptr && sheet_->placed; }

RefSequence SheetRef::components() const {
  if (!sheet_) return {};
  return RefSequence(RefKind::Component, sheet_, 0, static_cast<uint32_t>(sheet_->components.size()));
}

ComponentRef SheetRef::component(int32_t number) const {
  if (!sheet_) return {};
  const auto& index = sheet_->byNumber;
  const auto found =
      std::lower_bound(index.begin(), index.end(), number,
                       [](const std::pair<int32_t, uint32_t>& entry, int32_t n) { return entry.first < n; });
  if (found == index.end() || found->first != number) return {};
  return ComponentRef(sheet_, found->second);
}

ZoneRef::ZoneRef(DesignRef ref) {
  if (ref.kind_ == RefKind::Zone && ref.sheet_->hasZone) sheet_ = ref.sheet_;
}

Point ZoneRef::offset() const { return sheet_ ? sheet_->zone.offset : Point(); }
Point ZoneRef::pitch() const { return sheet_ ? sheet_->zone.pitch : Point(); }
int32_t ZoneRef::autoset() const { return sheet_ ? sheet_->zone.autoset : 0; }
int32_t ZoneRef::origin() const { return sheet_ ? sheet_->zone.origin : 0; }
std::string_view ZoneRef::charX() const { return sheet_ ? sheet_->zone.firstColumn : std::string_view(); }
std::string_view ZoneRef::charY() const { return sheet_ ? sheet_->zone.firstRow : std::string_view(); }
bool ZoneRef::rowFirst() const { return sheet_ != nullptr && sheet_->zone.rowFirst; }

bool ZoneOffsetXCommand::execute() {
  if (!zone_.isValid()) return false;
  zone_.sheet_->zone.offset.x = x_;
  return true;
}

bool ZoneOffsetYCommand::execute() {
  if (!zone_.isValid()) return false;
  zone_.sheet_->zone.offset.y = y_;
  return true;
}

bool DesignDb::initialize() { return sheetReaderReady(); }

DesignDb DesignDb::open(const DataResource* /*dataResource*/, const std::string& sheetFile, int /*mode*/,
                        std::string* reason, SheetCache* cache) {
  DesignDb db;
  std::string why;
  if (cache != nullptr) {
    if (std::shared_ptr<const SheetData> read = cache->get(sheetFile, &why)) {
      db.sheet_ = cache->workingCopy(std::move(read));
      db.cache_ = cache;
    }
  } else if (auto sheet = std::make_unique<SheetData>(); readSheetFile(sheetFile, *sheet, &why)) {
    db.sheet_ = std::move(sheet);
  }
  if (!db.isValid() && reason != nullptr) *reason = sheetFile + ": " + why;
  return db;
}

DesignDb DesignDb::openWith(SheetFileReader reader, const std::string& path, std::string* reason) {
  DesignDb db;
  std::string why;
  if (auto sheet = std::make_unique<SheetData>(); reader(path, *sheet, &why))
    db.sheet_ = std::move(sheet);
  else if (reason != nullptr)
    *reason = path + ": " + why;
  return db;
}

DesignDb::DesignDb() = default;
DesignDb::~DesignDb() { close(); }
DesignDb::DesignDb(DesignDb&& other) noexcept
    : sheet_(std::move(other.sheet_)), cache_(std::exchange(other.cache_, nullptr)) {}
DesignDb& DesignDb::operator=(DesignDb&& other) noexcept {
  if (this != &other) {
    close();
    sheet_ = std::move(other.sheet_);
    cache_ = std::exchange(other.cache_, nullptr);
  }
  return *this;
}

DesignRef DesignDb::lookup(int type, std::string_view name) const {
  if (!sheet_) return {};
  if (type == kSheetType && name == "Sheet") return DesignRef(RefKind::Sheet, sheet_.get(), 0);
  if (type == kZoneType && name == "Zone" && sheet_->hasZone) return DesignRef(RefKind::Zone, sheet_.get(), 0);
  return {};
}

void DesignDb::close(int /*mode*/) {
  if (cache_ != nullptr && sheet_) cache_->giveBack(std::move(sheet_));
  sheet_.reset();
  cache_ = nullptr;
}

}  // namespace comptab
