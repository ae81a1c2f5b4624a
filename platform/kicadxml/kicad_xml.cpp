#include "platform/kicadxml/kicad_xml.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/kicadxml/xml_stream.h"
#include "platform/sheet/comp_type.h"
#include "platform/sheet/sheet_data.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// As in sheet files: no single text of a design is longer.
constexpr size_t kMaxTextBytes = 65535;

// Texts as TextStore::addName gives them, so that equal texts are one
// view: a name is then told from another by where it starts, without
// comparing bytes. A recent text is found in a small table by a cheap hash
// of its ends before the store's set is asked; the table only ever holds
// what the store returned, so it changes nothing but the time.
class Interner {
 public:
  explicit Interner(TextStore& texts) : texts_(texts), slots_(new std::string_view[kSlots]) {}
  std::string_view operator()(std::string_view text) {
    constexpr size_t kShortText = 64;
    if (text.empty() || text.size() > kShortText) return texts_.addName(text);
    std::string_view& slot = slots_[hash(text) & (kSlots - 1)];
    if (slot.size() != text.size() || slot != text) slot = texts_.addName(text);
    return slot;
  }

 private:
  static constexpr size_t kSlots = 16384;
  // The first and last eight bytes (fewer when shorter) and the length:
  // names and values of a net list differ at their ends ("ACME-R-12",
  // "Net-(R5-Pad2)").
  static size_t hash(std::string_view text) {
    uint64_t head = 0;
    uint64_t tail = 0;
    const size_t n = text.size() < 8 ? text.size() : 8;
    std::memcpy(&head, text.data(), n);
    std::memcpy(&tail, text.data() + text.size() - n, n);
    // Every bit of the result depends on every byte taken (a product
    // alone carries a byte only into the bits above it).
    uint64_t mixed = head ^ ((tail << 32) | (tail >> 32)) ^ text.size();
    mixed = (mixed ^ (mixed >> 33)) * 0xFF51AFD7ED558CCDULL;
    mixed = (mixed ^ (mixed >> 33)) * 0xC4CEB9FE1A85EC53ULL;
    return static_cast<size_t>(mixed ^ (mixed >> 33));
  }
  TextStore& texts_;
  std::unique_ptr<std::string_view[]> slots_;
};

// One <comp>'s properties in the order the component gets them, each name
// once: the first one given wins, so the <value> element is "Value" even
// when a field of that name follows, and a user field named "partName"
// overrides the default made from "Value". Names are interned views
// (Interner), compared by where they start.
class CompProperties {
 public:
  void clear() {
    // A fresh set rather than clear(), which costs as many steps as the
    // set has buckets: after one component with a million fields, every
    // later one would pay for them.
    if (entries_.size() > kLinear) index_ = decltype(index_)();
    entries_.clear();
  }
  bool has(std::string_view name) const {
    if (entries_.size() > kLinear) return index_.contains(name.data());
    for (const PropertyData& entry : entries_)
      if (entry.name().data() == name.data()) return true;
    return false;
  }
  // Adds the property unless its name is taken; `value` is called for the
  // stored value only when it is added. True when it was.
  template <typename MakeValue>
  bool add(std::string_view name, MakeValue&& value) {
    if (has(name)) return false;
    append(name, value());
    return true;
  }
  // Adds a property whose name the caller knows is not taken.
  void append(std::string_view name, std::string_view value) {
    entries_.emplace_back(name, value);
    // Past a few names a component's list is looked up through a set, so
    // that a hostile file with thousands of fields costs no more than
    // linear time.
    if (entries_.size() == kLinear + 1)
      for (const PropertyData& entry : entries_) index_.insert(entry.name().data());
    else if (entries_.size() > kLinear + 1)
      index_.insert(name.data());
  }
  std::string_view lastValue() const { return entries_.back().value(); }
  size_t size() const { return entries_.size(); }
  const PropertyData& operator[](size_t i) const { return entries_[i]; }
  const std::vector<PropertyData>& entries() const { return entries_; }

 private:
  // A KiCad part has some twenty properties; comparing pointers, a scan
  // of this many costs less than building a set for each part.
  static constexpr size_t kLinear = 48;
  std::vector<PropertyData> entries_;  // reused from one <comp> to the next
  std::unordered_set<const char*> index_;
};

// The element and attribute names the reader looks at, as indexes into
// kKnownNames (XmlHandler::knownNames). "value" is an element of <comp> and an
// attribute of <property> alike.
enum Name : int {
  kExport, kVersion, kComponents, kComp, kRef, kValue, kFootprint, kDatasheet, kDescription, kFields, kField,
  kNameAttribute, kLibsource, kLib, kPart, kSheetpath, kNamesAttribute, kProperty, kNameCount
};
constexpr std::string_view kKnownNames[kNameCount] = {
    "export", "version", "components", "comp",   "ref",  "value",     "footprint", "datasheet", "description",
    "fields", "field",   "name",       "libsource", "lib", "part",    "sheetpath", "names",     "property"};

std::string_view attribute(std::span<const XmlAttribute> attributes, Name name) {
  for (const XmlAttribute& a : attributes)
    if (a.known == name) return a.value;
  return {};
}

bool hasAttribute(std::span<const XmlAttribute> attributes, Name name) {
  for (const XmlAttribute& a : attributes)
    if (a.known == name) return true;
  return false;
}

// "/" is the root sheet, level 0; "/amp1/" one sheet down, level 1.
int sheetLevel(std::string_view names) {
  int slashes = 0;
  for (const char c : names) slashes += c == '/' ? 1 : 0;
  return slashes > 1 ? slashes - 1 : 0;
}

// Builds the sheet as the elements come. Only what lies on the path
// export / components / comp / ... is looked at; everything else (the
// design header, library parts, nets, elements of later KiCad versions) is
// passed over.
class NetListReader : public XmlHandler {
 public:
  explicit NetListReader(SheetData& sheet)
      : sheet_(sheet),
        intern_(sheet.texts),
        reference_(intern_("reference")),
        value_(intern_("Value")),
        footprint_(intern_("Footprint")),
        datasheet_(intern_("Datasheet")),
        description_(intern_("Description")),
        dnp_(intern_("dnp")),
        inBom_(intern_("in_bom")),
        onBoard_(intern_("on_board")),
        excludeFromSim_(intern_("exclude_from_sim")),
        partName_(intern_("partName")),
        cdbName_(intern_("cdbName")),
        componentName_(intern_("componentName")),
        sheetPathName_(intern_("sheetPath")),
        level_(intern_("_HLEV")),
        yes_(intern_("YES")),
        no_(intern_("NO")) {
    // Only the text of an element being collected is read.
    wantsText = false;
  }

  std::span<const std::string_view> knownNames() const override { return kKnownNames; }

  bool startElement(std::string_view name, int known, std::span<const XmlAttribute> attributes) override {
    ++depth_;
    switch (depth_) {
      case 1:
        return root(name, known, attributes);
      case 2:
        inComponents_ = known == kComponents;
        sawComponents_ = sawComponents_ || inComponents_;
        // The nets, library parts and design header are parsed, not read.
        if (!inComponents_) reportDepth = 2;
        return true;
      case 3:
        return inComponents_ && known == kComp ? beginComp(attributes) : true;
      case 4:
        return inComp_ ? compChild(known, attributes) : true;
      case 5:
        if (inFields_ && known == kField) {
          const std::string_view fieldName = attribute(attributes, kNameAttribute);
          if (fieldName.empty()) return fail("a <field> without a name");
          collect(intern_(fieldName));
        }
        return true;
      default:
        return true;
    }
  }

  bool endElement(std::string_view) override {
    if (wantsText && depth_ == collectDepth_) storeCollected();
    if (depth_ == 4) inFields_ = false;
    if (depth_ == 3 && inComp_) {
      inComp_ = false;
      finishComp();
    }
    if (depth_ == 2) {
      inComponents_ = false;
      reportDepth = kReportAll;
    }
    --depth_;
    return true;
  }

  bool text(std::string_view piece) override {
    if (!wantsText) return true;
    if (text_.size() + piece.size() > kMaxTextBytes)
      return fail(strprintf("a text longer than %zu bytes", kMaxTextBytes));
    text_.append(piece);
    return true;
  }

  // After the whole file: what only the end can tell.
  bool finish(std::string& why) {
    if (!sawComponents_) {
      why = "<export> has no <components>: this is not a KiCad XML net list";
      return false;
    }
    auto& index = sheet_.byNumber;
    index.reserve(sheet_.components.size());
    for (size_t i = 0; i < sheet_.components.size(); ++i)
      index.emplace_back(sheet_.components[i].number, static_cast<uint32_t>(i));
    return true;
  }

 private:
  bool fail(std::string why) {
    failure = std::move(why);
    return false;
  }

  bool root(std::string_view name, int known, std::span<const XmlAttribute> attributes) {
    if (known != kExport)
      return fail("the root element is <" + std::string(name) + ">, not <export>: this is not a KiCad XML net list");
    if (!hasAttribute(attributes, kVersion)) return fail("<export> has no version: this is not a KiCad XML net list");
    const std::string_view version = attribute(attributes, kVersion);
    if (version != "D" && version != "E")
      return fail("<export> version \"" + std::string(version) +
                  "\" is not supported; this reader knows versions \"D\" and \"E\"");
    return true;
  }

  bool beginComp(std::span<const XmlAttribute> attributes) {
    const std::string_view ref = attribute(attributes, kRef);
    if (ref.empty()) return fail("a <comp> without a ref (every component needs its reference)");
    inComp_ = true;
    properties_.clear();
    // References never repeat: they are not looked up to be shared.
    properties_.add(reference_, [&] { return sheet_.texts.add(ref); });
    hasValue_ = false;
    ownNameTaken_ = false;
    isDnp_ = false;
    isInBom_ = true;
    isOnBoard_ = true;
    excludedFromSim_ = false;
    lib_.clear();
    part_.clear();
    sheetPath_.clear();
    hasSheetPath_ = false;
    return true;
  }

  bool compChild(int known, std::span<const XmlAttribute> attributes) {
    switch (known) {
      case kValue:
        collect(value_);
        break;
      case kFootprint:
        collect(footprint_);
        break;
      case kDatasheet:
        collect(datasheet_);
        break;
      case kDescription:
        collect(description_);
        break;
      case kFields:
        inFields_ = true;
        break;
      case kLibsource:
        lib_.assign(attribute(attributes, kLib));
        part_.assign(attribute(attributes, kPart));
        break;
      case kSheetpath:
        sheetPath_.assign(attribute(attributes, kNamesAttribute));
        hasSheetPath_ = true;
        break;
      case kProperty:
        property(attribute(attributes, kNameAttribute), attribute(attributes, kValue));
        break;
      default:
        break;
    }
    return true;
  }

  // KiCad writes its flags as properties without a value: present means set.
  void property(std::string_view name, std::string_view value) {
    if (name == "dnp")
      isDnp_ = true;
    else if (name == "exclude_from_bom")
      isInBom_ = false;
    else if (name == "exclude_from_board")
      isOnBoard_ = false;
    else if (name == "exclude_from_sim")
      excludedFromSim_ = true;
    else if (!name.empty())
      added(intern_(name), [&] { return intern_(value); });
  }

  // Adds a property of the file's unless its name is taken, noting what
  // finishComp needs: the value of "Value", and whether a name the reader
  // gives itself is taken already.
  template <typename MakeValue>
  void added(std::string_view name, MakeValue&& value) {
    if (!properties_.add(name, value)) return;
    if (name.data() == value_.data()) {
      partValue_ = properties_.lastValue();
      hasValue_ = true;
    }
    ownNameTaken_ = ownNameTaken_ || isOwnName(name);
  }

  // One of the names finishComp adds, told by where it starts: these are
  // interned views, and so is `name`.
  bool isOwnName(std::string_view name) const {
    for (const std::string_view own : {dnp_, inBom_, onBoard_, excludeFromSim_, partName_, cdbName_, componentName_,
                                       sheetPathName_, level_})
      if (own.data() == name.data()) return true;
    return false;
  }

  // The text of the element just begun becomes the property `name` (an
  // interned view).
  void collect(std::string_view name) {
    wantsText = true;
    collectDepth_ = depth_;
    collectName_ = name;
    text_.clear();
  }

  void storeCollected() {
    added(collectName_, [&] { return intern_(text_); });
    wantsText = false;
  }

  void finishComp() {
    // A file's own field of one of these names wins; without one (nearly
    // always) no name need be looked for.
    const auto add = [&](std::string_view name, auto&& value) {
      if (ownNameTaken_)
        properties_.add(name, value);
      else
        properties_.append(name, value());
    };
    add(dnp_, [&] { return isDnp_ ? yes_ : no_; });
    add(inBom_, [&] { return isInBom_ ? yes_ : no_; });
    add(onBoard_, [&] { return isOnBoard_ ? yes_ : no_; });
    add(excludeFromSim_, [&] { return excludedFromSim_ ? yes_ : no_; });
    if (hasValue_) add(partName_, [&] { return partValue_; });
    if (!part_.empty()) {
      add(cdbName_, [&] {
        if (lib_.empty()) return intern_(part_);
        scratch_.assign(lib_).append(":").append(part_);
        return intern_(scratch_);
      });
      add(componentName_, [&] { return intern_(part_); });
    }
    if (hasSheetPath_) add(sheetPathName_, [&] { return intern_(sheetPath_); });
    add(level_, [&] { return intern_(decimalText(sheetLevel(sheetPath_))); });

    ComponentData& component = sheet_.components.emplace_back();
    component.number = static_cast<int32_t>(sheet_.components.size());
    const bool power = properties_[0].value().starts_with('#');
    component.typeWord = power ? CompType::Power : CompType::Parts;
    component.properties.first = static_cast<uint32_t>(sheet_.properties.size());
    component.properties.count = static_cast<uint32_t>(properties_.size());
    sheet_.properties.insert(sheet_.properties.end(), properties_.entries().begin(), properties_.entries().end());
  }

  SheetData& sheet_;
  // Values repeat from part to part (footprints, descriptions, flags), so
  // they are stored once each; references never do.
  Interner intern_;
  // The names this reader gives, interned.
  const std::string_view reference_, value_, footprint_, datasheet_, description_, dnp_, inBom_, onBoard_,
      excludeFromSim_, partName_, cdbName_, componentName_, sheetPathName_, level_, yes_, no_;
  size_t depth_ = 0;
  bool inComponents_ = false;
  bool sawComponents_ = false;
  bool inComp_ = false;
  bool inFields_ = false;
  size_t collectDepth_ = 0;
  std::string_view collectName_;
  std::string text_;
  CompProperties properties_;
  // The component's "Value" so far, when it has one.
  std::string_view partValue_;
  bool hasValue_ = false;
  // A property of the file has one of the names finishComp adds.
  bool ownNameTaken_ = false;
  bool isDnp_ = false;
  bool isInBom_ = true;
  bool isOnBoard_ = true;
  bool excludedFromSim_ = false;
  std::string lib_;
  std::string part_;
  std::string sheetPath_;
  std::string scratch_;
  bool hasSheetPath_ = false;
};

// Asks for the memory of a big array to be mapped in huge pages as it is
// first touched: the sheet of a big net list is filled entry by entry, and
// a fault for every 4 KiB page costs more than filling it.
void hugePages(const void* data, size_t bytes) {
  constexpr uintptr_t kHuge = uintptr_t{1} << 21;
  const auto begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

bool isKicadXmlFile(std::string_view path) {
  return path.size() > 4 && equalsNoCase(path.substr(path.size() - 4), ".xml");
}

bool readKicadXml(const std::string& path, SheetData& sheet, std::string* reason) {
  // Room for the texts and arrays as the file's size suggests, allocated
  // once and touched only as far as it is filled: the texts can be no
  // longer than the file, and a <comp> of KiCad's is some hundreds of
  // bytes with a property for every few dozen.
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  const size_t bytes = !error && size <= kMaxKicadXmlBytes ? static_cast<size_t>(size) : 0;
  sheet.fileName = path;
  sheet.placed = false;
  sheet.texts.reserve(bytes);
  sheet.components.reserve(bytes / 512);
  sheet.properties.reserve(bytes / 48);
  hugePages(sheet.properties.data(), sheet.properties.capacity() * sizeof(PropertyData));
  hugePages(sheet.components.data(), sheet.components.capacity() * sizeof(ComponentData));
  NetListReader reader(sheet);
  std::string why;
  if (readXmlFile(path, kMaxKicadXmlBytes, reader, &why) && reader.finish(why)) return true;
  if (reason != nullptr) *reason = why;
  return false;
}

DesignDb openKicadXml(const std::string& path, std::string* reason) {
  return DesignDb::openWith(readKicadXml, path, reason);
}

}  // namespace comptab
