#include "platform/kicad/kicad_bom_settings.h"

#include <simdjson.h>

#include "platform/support/json_reader.h"

namespace comptab {

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

constexpr size_t kProjectJsonDepth = 256;

// One object's fields, each optional, each checked for its type; the first
// fault names its place.
class BomReader {
 public:
  explicit BomReader(std::string* reason) : reason_(reason) {}

  bool text(object obj, const std::string& where, const char* key, std::string& out) {
    element value;
    if (obj[key].get(value) != simdjson::SUCCESS) return true;
    std::string_view view;
    if (value.get(view) != simdjson::SUCCESS) return fail(where + "." + key + ": expected a string");
    out = std::string(view);
    return true;
  }
  bool flag(object obj, const std::string& where, const char* key, bool& out) {
    element value;
    if (obj[key].get(value) != simdjson::SUCCESS) return true;
    if (value.get(out) != simdjson::SUCCESS) return fail(where + "." + key + ": expected true or false");
    return true;
  }
  bool preset(element value, const std::string& where, KicadBomPreset& out) {
    object obj;
    if (value.get(obj) != simdjson::SUCCESS) return fail(where + ": expected an object");
    if (!text(obj, where, "name", out.name) || !text(obj, where, "sort_field", out.sortField) ||
        !flag(obj, where, "sort_asc", out.sortAsc) || !text(obj, where, "filter_string", out.filter) ||
        !flag(obj, where, "group_symbols", out.groupSymbols) || !flag(obj, where, "exclude_dnp", out.excludeDnp) ||
        !flag(obj, where, "include_excluded_from_bom", out.includeExcludedFromBom))
      return false;
    element fields;
    if (obj["fields_ordered"].get(fields) != simdjson::SUCCESS) return true;
    simdjson::dom::array list;
    if (fields.get(list) != simdjson::SUCCESS) return fail(where + ".fields_ordered: expected an array");
    size_t i = 0;
    for (element item : list) {
      const std::string at = where + ".fields_ordered[" + std::to_string(i++) + "]";
      object field;
      if (item.get(field) != simdjson::SUCCESS) return fail(at + ": expected an object");
      KicadBomField f;
      if (!text(field, at, "name", f.name) || !text(field, at, "label", f.label) ||
          !flag(field, at, "show", f.show) || !flag(field, at, "group_by", f.groupBy))
        return false;
      out.fields.push_back(std::move(f));
    }
    return true;
  }
  bool format(element value, const std::string& where, KicadBomFormat& out) {
    object obj;
    if (value.get(obj) != simdjson::SUCCESS) return fail(where + ": expected an object");
    return text(obj, where, "name", out.name) && text(obj, where, "field_delimiter", out.fieldDelimiter) &&
           text(obj, where, "string_delimiter", out.stringDelimiter) &&
           text(obj, where, "ref_delimiter", out.refDelimiter) &&
           text(obj, where, "ref_range_delimiter", out.refRangeDelimiter) &&
           flag(obj, where, "keep_tabs", out.keepTabs) && flag(obj, where, "keep_line_breaks", out.keepLineBreaks);
  }
  template <typename T, typename Read>
  bool list(object obj, const std::string& where, const char* key, std::vector<T>& out, Read read) {
    element value;
    if (obj[key].get(value) != simdjson::SUCCESS) return true;
    simdjson::dom::array items;
    if (value.get(items) != simdjson::SUCCESS) return fail(where + "." + key + ": expected an array");
    size_t i = 0;
    for (element item : items) {
      T one;
      if (!read(item, where + "." + key + "[" + std::to_string(i++) + "]", one)) return false;
      out.push_back(std::move(one));
    }
    return true;
  }

  bool fail(const std::string& what) {
    if (reason_) *reason_ = what;
    return false;
  }

 private:
  std::string* reason_;
};

}  // namespace

bool readKicadBomSettings(std::string_view projectJson, KicadBomSettings& settings, std::string* reason) {
  settings = {};
  if (projectJson.empty()) return true;
  const simdjson::padded_string padded(projectJson);
  simdjson::dom::parser parser;
  element root;
  if (!parseJsonText(parser, std::string_view(padded.data(), padded.size()), kProjectJsonDepth,
                     "a KiCad project file", root, reason))
    return false;
  BomReader reader(reason);
  object top;
  if (root.get(top) != simdjson::SUCCESS) return reader.fail("a KiCad project file is a JSON object");
  element schematicValue;
  if (top["schematic"].get(schematicValue) != simdjson::SUCCESS) return true;
  object schematic;
  if (schematicValue.get(schematic) != simdjson::SUCCESS) return reader.fail("schematic: expected an object");
  const std::string where = "schematic";
  element value;
  if (schematic["bom_settings"].get(value) == simdjson::SUCCESS) {
    settings.current.emplace();
    if (!reader.preset(value, where + ".bom_settings", *settings.current)) return false;
  }
  if (schematic["bom_fmt_settings"].get(value) == simdjson::SUCCESS) {
    settings.currentFormat.emplace();
    if (!reader.format(value, where + ".bom_fmt_settings", *settings.currentFormat)) return false;
  }
  return reader.list(schematic, where, "bom_presets", settings.presets,
                     [&](element v, const std::string& at, KicadBomPreset& p) { return reader.preset(v, at, p); }) &&
         reader.list(schematic, where, "bom_fmt_presets", settings.formats,
                     [&](element v, const std::string& at, KicadBomFormat& f) { return reader.format(v, at, f); });
}

}  // namespace comptab
