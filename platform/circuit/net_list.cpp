#include "platform/circuit/net_list.h"

#include <simdjson.h>

#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/circuit/sheet_path.h"
#include "platform/support/file_bytes.h"
#include "platform/support/file_locators.h"
#include "platform/support/json_reader.h"
#include "platform/support/path.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

namespace dom = simdjson::dom;

constexpr int64_t kFormatVersion = 1;
// Every level of blocks takes four levels of JSON (a sheet, its "blocks", a
// block, its "sheets"); the rest is room for instance values and comments.
// Deeper blocks are refused by their depth first, with a plainer reason.
constexpr size_t kMaxJsonDepth = 4 * NetList::kMaxDepth + 64;
constexpr size_t kMaxTextBytes = 65535;

class NetListParser : JsonReader {
 public:
  NetListParser(const std::string& circuitDir, std::string* reason)
      : JsonReader(reason, kMaxTextBytes), circuitDir_(circuitDir), paths_(circuitDir) {}

  bool document(dom::element root, std::vector<NetSheet>& sheets, std::vector<Net>& nets);

 private:
  bool sheetList(dom::element value, int depth, std::vector<NetSheet>& out);
  bool sheet(dom::element value, int depth, NetSheet& out);
  bool sheetFile(dom::element value, std::string& out);
  bool blocks(dom::element value, int depth, std::vector<NetBlock>& out);
  bool components(dom::element value, std::vector<NetComponent>& out);
  bool component(dom::element value, NetComponent& out);
  bool values(dom::element value, std::vector<NetValue>& out);
  bool pair(dom::element value, std::string_view (&texts)[2]);
  bool nets(dom::element value, std::vector<Net>& out);
  bool net(dom::element value, Net& out);
  // Fails at the later of two entries with the same number.
  template <typename T, typename Number>
  bool uniqueNumbers(const std::vector<T>& items, Number number, const char* what);

  const std::string& circuitDir_;
  std::unordered_set<std::string> present_;  // sheet files already found
  SheetPathCheck paths_;
};

bool NetListParser::document(dom::element root, std::vector<NetSheet>& sheets, std::vector<Net>& netsOut) {
  dom::object top;
  if (!versionedTop(root, kFormatVersion, "a net list", top)) return false;
  static constexpr std::string_view names[] = {"formatVersion", "sheets", "nets"};
  return fields(top, names, 0b011, [&](size_t i, dom::element value) {
    if (i == 1) return sheetList(value, 0, sheets);
    if (i == 2) return nets(value, netsOut);
    return true;  // the version, checked above
  });
}

bool NetListParser::sheetList(dom::element value, int depth, std::vector<NetSheet>& out) {
  dom::array items;
  if (!array(value, "an array of sheets", items)) return false;
  out.resize(items.size());
  return eachItem(items, [&](size_t i, dom::element item) { return sheet(item, depth, out[i]); });
}

bool NetListParser::sheet(dom::element value, int depth, NetSheet& out) {
  if (depth > NetList::kMaxDepth)
    return fail(strprintf("blocks nest deeper than the %d levels a circuit may have", NetList::kMaxDepth));
  static constexpr std::string_view names[] = {"file", "id", "number", "components", "blocks"};
  return record(value, names, 0b111, [&](size_t i, dom::element field) {
    switch (i) {
      case 0:
        return sheetFile(field, out.file);
      case 1:
        return integer(field, out.id);
      case 2:
        return integer(field, out.number);
      case 3:
        if (depth == 0)
          return fail(
              "a top-level sheet is listed as its file holds it; instance values belong to sheets inside blocks");
        return components(field, out.components);
      default:
        return blocks(field, depth, out.blocks);
    }
  });
}

// Sheet files lie inside the circuit directory, so that the circuit can be
// moved or copied as one folder.
bool NetListParser::sheetFile(dom::element value, std::string& out) {
  std::string_view name;
  if (!text(value, name)) return false;
  out = name;
  if (present_.count(out) != 0) return true;
  if (const std::string why = paths_.problem(name); !why.empty()) return fail(why);
  const std::string path = joinPath(circuitDir_, out);
  switch (pathKind(path)) {
    case PathKind::Missing:
      return fail("the sheet file \"" + out + "\" does not exist");
    case PathKind::Directory:
      return fail("the sheet file \"" + out + "\" is a directory");
    case PathKind::File:
      break;
  }
  if (!readableFile(path)) return fail("the sheet file \"" + out + "\" cannot be read");
  present_.insert(out);
  return true;
}

bool NetListParser::blocks(dom::element value, int depth, std::vector<NetBlock>& out) {
  dom::array items;
  if (!array(value, "an array of blocks", items)) return false;
  out.resize(items.size());
  static constexpr std::string_view names[] = {"component", "sheets"};
  const bool read = eachItem(items, [&](size_t i, dom::element item) {
    NetBlock& block = out[i];
    return record(item, names, 0b11, [&](size_t j, dom::element field) {
      return j == 0 ? integer(field, block.component) : sheetList(field, depth + 1, block.sheets);
    });
  });
  if (!read) return false;
  return uniqueNumbers(
      out, [](const NetBlock& b) { return b.component; }, "block component");
}

bool NetListParser::components(dom::element value, std::vector<NetComponent>& out) {
  dom::array items;
  if (!array(value, "an array of components", items)) return false;
  out.resize(items.size());
  if (!eachItem(items, [&](size_t i, dom::element item) { return component(item, out[i]); })) return false;
  return uniqueNumbers(
      out, [](const NetComponent& c) { return c.number; }, "component");
}

bool NetListParser::component(dom::element value, NetComponent& out) {
  static constexpr std::string_view names[] = {"number", "properties"};
  return record(value, names, 0b01, [&](size_t i, dom::element field) {
    return i == 0 ? integer(field, out.number) : values(field, out.values);
  });
}

bool NetListParser::values(dom::element value, std::vector<NetValue>& out) {
  dom::array items;
  if (!array(value, "an array of [name, value] pairs", items)) return false;
  out.reserve(items.size());
  std::unordered_set<std::string_view> seen;
  return eachItem(items, [&](size_t, dom::element item) {
    std::string_view texts[2];
    if (!pair(item, texts)) return false;
    if (texts[0].empty()) return fail("a property name may not be empty");
    if (!seen.insert(texts[0]).second) return fail("the property \"" + std::string(texts[0]) + "\" appears twice");
    out.push_back({std::string(texts[0]), std::string(texts[1])});
    return true;
  });
}

bool NetListParser::pair(dom::element value, std::string_view (&texts)[2]) {
  dom::array parts;
  if (!array(value, "a pair of strings", parts)) return false;
  if (parts.size() != 2) return fail(strprintf("expected a pair of strings, found %zu values", parts.size()));
  return eachItem(parts, [&](size_t j, dom::element part) { return text(part, texts[j]); });
}

bool NetListParser::nets(dom::element value, std::vector<Net>& out) {
  dom::array items;
  if (!array(value, "an array of nets", items)) return false;
  out.resize(items.size());
  return eachItem(items, [&](size_t i, dom::element item) { return net(item, out[i]); });
}

bool NetListParser::net(dom::element value, Net& out) {
  static constexpr std::string_view names[] = {"name", "pins"};
  return record(value, names, 0b11, [&](size_t i, dom::element field) {
    if (i == 0) {
      std::string_view name;
      if (!text(field, name)) return false;
      if (name.empty()) return fail("a net name may not be empty");
      out.name = name;
      return true;
    }
    dom::array pins;
    if (!array(field, "an array of [component, pin] pairs", pins)) return false;
    out.pins.reserve(pins.size());
    return eachItem(pins, [&](size_t, dom::element pin) {
      std::string_view texts[2];
      if (!pair(pin, texts)) return false;
      out.pins.push_back({std::string(texts[0]), std::string(texts[1])});
      return true;
    });
  });
}

template <typename T, typename Number>
bool NetListParser::uniqueNumbers(const std::vector<T>& items, Number number, const char* what) {
  std::unordered_map<int32_t, size_t> first;
  first.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    const auto [at, inserted] = first.emplace(number(items[i]), i);
    if (inserted) continue;
    const Enter step(*this, i);
    return fail(strprintf("the %s number %d is already given at [%zu]", what, number(items[i]), at->second));
  }
  return true;
}

}  // namespace

std::unique_ptr<NetList> NetList::open(const std::string& circuitDir, std::string* reason) {
  const std::string path = DesignDataFile::fileName(circuitDir, DesignFileKind::NetList, "netlist");
  std::string why;
  const auto failed = [&]() -> std::unique_ptr<NetList> {
    if (reason) *reason = (path.empty() ? std::string("netlist.json") : path) + ": " + why;
    return nullptr;
  };
  if (path.empty()) {
    why = "no circuit directory";
    return failed();
  }
  const FileStamp stamp = fileStamp(path).value_or(FileStamp{});
  FileBytes bytes;
  if (!readFileBytes(path, kMaxFileBytes, simdjson::SIMDJSON_PADDING, bytes, &why)) return failed();
  dom::parser parser;
  dom::element root;
  if (!parseJsonText(parser, bytes.text(), kMaxJsonDepth, "a net list", root, &why)) return failed();
  auto list = std::make_unique<NetList>();
  list->circuitDir_ = circuitDir;
  list->fileName_ = baseName(path);
  list->stamp_ = stamp;
  NetListParser reader(circuitDir, &why);
  if (!reader.document(root, list->topSheets_, list->nets_)) return failed();
  return list;
}

void NetList::close(std::unique_ptr<NetList>& list, int /*mode*/) { list.reset(); }

std::string NetList::sheetPath(const NetSheet& sheet) const { return joinPath(circuitDir_, sheet.file); }

}  // namespace comptab
