#include "platform/kicad/kicad_project_file.h"

#include <simdjson.h>

#include "platform/support/file_bytes.h"
#include "platform/support/json_reader.h"

namespace comptab {

namespace {

constexpr size_t kMaxProjectBytes = size_t{64} << 20;
constexpr size_t kProjectJsonDepth = 256;

bool failWith(const std::string& path, const std::string& what, std::string* reason) {
  if (reason) *reason = path + ": " + what;
  return false;
}

}  // namespace

bool readKicadProjectFile(const std::string& path, KicadProjectFile& out, std::string* reason) {
  FileBytes bytes;
  std::string why;
  if (!readFileBytes(path, kMaxProjectBytes, simdjson::SIMDJSON_PADDING, bytes, &why))
    return failWith(path, why, reason);
  simdjson::dom::parser parser;
  simdjson::dom::element root;
  if (!parseJsonText(parser, bytes.text(), kProjectJsonDepth, "a KiCad project file", root, &why))
    return failWith(path, why, reason);
  if (!root.is_object()) return failWith(path, "a KiCad project file is a JSON object", reason);
  out.json = std::string(bytes.text());

  simdjson::dom::element variables;
  if (root["text_variables"].get(variables) == simdjson::SUCCESS && !variables.is_null()) {
    simdjson::dom::object object;
    if (variables.get(object) != simdjson::SUCCESS)
      return failWith(path, "text_variables: expected an object of names and texts", reason);
    for (const auto field : object) {
      std::string_view value;
      if (field.value.get(value) != simdjson::SUCCESS)
        return failWith(path, "text_variables." + std::string(field.key) + ": expected a text", reason);
      out.textVariables.emplace_back(std::string(field.key), std::string(value));
    }
  }

  simdjson::dom::element list;
  if (root["schematic"]["variants"].get(list) == simdjson::SUCCESS && !list.is_null()) {
    simdjson::dom::array array;
    if (list.get(array) != simdjson::SUCCESS)
      return failWith(path, "schematic.variants: expected a list of variants", reason);
    size_t i = 0;
    for (const simdjson::dom::element item : array) {
      const std::string place = "schematic.variants[" + std::to_string(i++) + "]";
      std::string_view name;
      std::string_view description;
      // A bare name is taken as a variant without a description.
      if (item.get(name) != simdjson::SUCCESS) {
        if (!item.is_object() || item["name"].get(name) != simdjson::SUCCESS)
          return failWith(path, place + ": expected an object with a \"name\" text", reason);
        simdjson::dom::element text;
        if (item["description"].get(text) == simdjson::SUCCESS && !text.is_null() &&
            text.get(description) != simdjson::SUCCESS)
          return failWith(path, place + ".description: expected a text", reason);
      }
      if (name.empty()) return failWith(path, place + ".name: a variant needs a name", reason);
      out.variants.emplace_back(std::string(name), std::string(description));
    }
  }
  return true;
}

}  // namespace comptab
