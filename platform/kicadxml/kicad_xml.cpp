#include "platform/kicadxml/kicad_xml.h"

#include <cstdint>
#include <filesystem>
#include <functional>
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

// One <comp>'s properties in the order the component gets them, each name
// once: the first one given wins, so the <value> element is "Value" even
// when a field of that name follows, and a user field named "partName"
// overrides the default made from "Value".
class CompProperties {
 public:
  void clear() {
    // A fresh set rather than clear(), which costs as many steps as the
    // set has buckets: after one component with a million fields, every
    // later one would pay for them.
    if (used_ > kLinear) index_ = decltype(index_)();
    used_ = 0;
  }
  bool has(std::string_view name) const {
    if (used_ > kLinear) return index_.find(name) != index_.end();
    for (size_t i = 0; i < used_; ++i)
      if (entries_[i].first == name) return true;
    return false;
  }
  void add(std::string_view name, std::string_view value) {
    if (has(name)) return;
    if (used_ == entries_.size()) entries_.emplace_back();
    entries_[used_].first.assign(name);
    entries_[used_].second.assign(value);
    ++used_;
    // Past a few names a component's list is looked up through a set, so
    // that a hostile file with thousands of fields costs no more than
    // linear time. The set holds copies: the entries' strings move.
    if (used_ == kLinear + 1)
      for (size_t i = 0; i < used_; ++i) index_.emplace(entries_[i].first);
    else if (used_ > kLinear + 1)
      index_.emplace(name);
  }
  size_t size() const { return used_; }
  const std::pair<std::string, std::string>& operator[](size_t i) const { return entries_[i]; }

 private:
  static constexpr size_t kLinear = 16;
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };
  std::vector<std::pair<std::string, std::string>> entries_;  // reused from one <comp> to the next
  size_t used_ = 0;
  std::unordered_set<std::string, Hash, std::equal_to<>> index_;
};

std::string_view attribute(std::span<const XmlAttribute> attributes, std::string_view name) {
  for (const XmlAttribute& a : attributes)
    if (a.name == name) return a.value;
  return {};
}

bool hasAttribute(std::span<const XmlAttribute> attributes, std::string_view name) {
  for (const XmlAttribute& a : attributes)
    if (a.name == name) return true;
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
  explicit NetListReader(SheetData& sheet) : sheet_(sheet) {}

  bool startElement(std::string_view name, std::span<const XmlAttribute> attributes) override {
    ++depth_;
    switch (depth_) {
      case 1:
        return root(name, attributes);
      case 2:
        inComponents_ = name == "components";
        sawComponents_ = sawComponents_ || inComponents_;
        return true;
      case 3:
        return inComponents_ && name == "comp" ? beginComp(attributes) : true;
      case 4:
        return inComp_ ? compChild(name, attributes) : true;
      case 5:
        if (inFields_ && name == "field") {
          const std::string_view fieldName = attribute(attributes, "name");
          if (fieldName.empty()) return fail("a <field> without a name");
          collect(fieldName);
        }
        return true;
      default:
        return true;
    }
  }

  bool endElement(std::string_view) override {
    if (collecting_ && depth_ == collectDepth_) storeCollected();
    if (depth_ == 4) inFields_ = false;
    if (depth_ == 3 && inComp_) {
      inComp_ = false;
      finishComp();
    }
    if (depth_ == 2) inComponents_ = false;
    --depth_;
    return true;
  }

  bool text(std::string_view piece) override {
    if (!collecting_) return true;
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

  bool root(std::string_view name, std::span<const XmlAttribute> attributes) {
    if (name != "export")
      return fail("the root element is <" + std::string(name) + ">, not <export>: this is not a KiCad XML net list");
    if (!hasAttribute(attributes, "version")) return fail("<export> has no version: this is not a KiCad XML net list");
    const std::string_view version = attribute(attributes, "version");
    if (version != "D" && version != "E")
      return fail("<export> version \"" + std::string(version) +
                  "\" is not supported; this reader knows versions \"D\" and \"E\"");
    return true;
  }

  bool beginComp(std::span<const XmlAttribute> attributes) {
    const std::string_view ref = attribute(attributes, "ref");
    if (ref.empty()) return fail("a <comp> without a ref (every component needs its reference)");
    inComp_ = true;
    properties_.clear();
    properties_.add("reference", ref);
    dnp_ = false;
    inBom_ = true;
    onBoard_ = true;
    excludedFromSim_ = false;
    lib_.clear();
    part_.clear();
    sheetPath_.clear();
    hasSheetPath_ = false;
    return true;
  }

  bool compChild(std::string_view name, std::span<const XmlAttribute> attributes) {
    if (name == "value") {
      collect("Value");
    } else if (name == "footprint") {
      collect("Footprint");
    } else if (name == "datasheet") {
      collect("Datasheet");
    } else if (name == "description") {
      collect("Description");
    } else if (name == "fields") {
      inFields_ = true;
    } else if (name == "libsource") {
      lib_.assign(attribute(attributes, "lib"));
      part_.assign(attribute(attributes, "part"));
    } else if (name == "sheetpath") {
      sheetPath_.assign(attribute(attributes, "names"));
      hasSheetPath_ = true;
    } else if (name == "property") {
      property(attribute(attributes, "name"), attribute(attributes, "value"));
    }
    return true;
  }

  // KiCad writes its flags as properties without a value: present means set.
  void property(std::string_view name, std::string_view value) {
    if (name == "dnp")
      dnp_ = true;
    else if (name == "exclude_from_bom")
      inBom_ = false;
    else if (name == "exclude_from_board")
      onBoard_ = false;
    else if (name == "exclude_from_sim")
      excludedFromSim_ = true;
    else if (!name.empty())
      properties_.add(name, value);
  }

  // The text of the element just begun becomes the property `name`.
  void collect(std::string_view name) {
    collecting_ = true;
    collectDepth_ = depth_;
    collectName_.assign(name);
    text_.clear();
  }

  void storeCollected() {
    properties_.add(collectName_, text_);
    collecting_ = false;
  }

  void finishComp() {
    static constexpr std::string_view yes = "YES";
    static constexpr std::string_view no = "NO";
    properties_.add("dnp", dnp_ ? yes : no);
    properties_.add("in_bom", inBom_ ? yes : no);
    properties_.add("on_board", onBoard_ ? yes : no);
    properties_.add("exclude_from_sim", excludedFromSim_ ? yes : no);
    for (size_t i = 0; i < properties_.size(); ++i)
      if (properties_[i].first == "Value") {
        const std::string value = properties_[i].second;
        properties_.add("partName", value);
        break;
      }
    if (!part_.empty()) {
      properties_.add("cdbName", lib_.empty() ? part_ : lib_ + ":" + part_);
      properties_.add("componentName", part_);
    }
    if (hasSheetPath_) properties_.add("sheetPath", sheetPath_);
    properties_.add("_HLEV", decimalText(sheetLevel(sheetPath_)));

    ComponentData& component = sheet_.components.emplace_back();
    component.number = static_cast<int32_t>(sheet_.components.size());
    const bool power = properties_[0].second.starts_with('#');
    component.typeWord = power ? CompType::Power : CompType::Parts;
    component.properties.first = static_cast<uint32_t>(sheet_.properties.size());
    component.properties.count = static_cast<uint32_t>(properties_.size());
    TextStore& texts = sheet_.texts;
    // Values repeat from part to part (footprints, descriptions, flags), so
    // they are stored once each; references never do.
    sheet_.properties.push_back({texts.addName(properties_[0].first), texts.add(properties_[0].second)});
    for (size_t i = 1; i < properties_.size(); ++i)
      sheet_.properties.push_back({texts.addName(properties_[i].first), texts.addName(properties_[i].second)});
  }

  SheetData& sheet_;
  size_t depth_ = 0;
  bool inComponents_ = false;
  bool sawComponents_ = false;
  bool inComp_ = false;
  bool inFields_ = false;
  bool collecting_ = false;
  size_t collectDepth_ = 0;
  std::string collectName_;
  std::string text_;
  CompProperties properties_;
  bool dnp_ = false;
  bool inBom_ = true;
  bool onBoard_ = true;
  bool excludedFromSim_ = false;
  std::string lib_;
  std::string part_;
  std::string sheetPath_;
  bool hasSheetPath_ = false;
};

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
