#include "output/html_sheets.h"

#include "output/json_text.h"

namespace comptab {

namespace {

// The id of the sheet that holds the block of `path`: "001.cmp5/002.cmp"
// is held by "001.cmp"; a top sheet's is empty.
std::string_view parentPath(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  std::string_view parent = path.substr(0, slash);
  const size_t number = parent.rfind(".cmp");
  return number == std::string_view::npos ? std::string_view() : parent.substr(0, number + 4);
}

}  // namespace

void PagePlaces::addSheet(std::string_view path, std::string_view name, const Box& region, const PageZone* zone) {
  Sheet& sheet = sheets_.emplace_back();
  sheet.path = std::string(path);
  index_.emplace(sheet.path, sheets_.size() - 1);
  sheet.name = std::string(name);
  sheet.region = region;
  sheet.hasZone = zone != nullptr;
  if (zone != nullptr) sheet.zone = *zone;
}

void PagePlaces::addPart(std::string_view path, std::string_view reference, Point position) {
  const auto found = index_.find(path);
  if (found == index_.end()) return;
  std::string& parts = sheets_[found->second].parts;
  if (!parts.empty()) parts += ',';
  parts += '[';
  appendJsonString(parts, reference);
  parts += ',' + std::to_string(position.x) + ',' + std::to_string(position.y) + ']';
}

void PagePlaces::addBlock(std::string_view path, int32_t number, std::string_view name, Point position) {
  const auto found = index_.find(path);
  if (found == index_.end()) return;
  std::string& blocks = sheets_[found->second].blocks;
  if (!blocks.empty()) blocks += ',';
  blocks += '[' + std::to_string(number) + ',';
  appendJsonString(blocks, name);
  blocks += ',' + std::to_string(position.x) + ',' + std::to_string(position.y) + ']';
}

std::string PagePlaces::json() const {
  std::unordered_map<std::string_view, size_t> byPath;
  for (size_t i = 0; i < sheets_.size(); ++i) byPath.emplace(sheets_[i].path, i);
  std::string out = "{\"kind\":\"points\",\"sheets\":[";
  for (size_t i = 0; i < sheets_.size(); ++i) {
    const Sheet& sheet = sheets_[i];
    if (i > 0) out += ",\n";
    // A sheet whose holder has no component of its own hangs from the top.
    const auto parent = byPath.find(parentPath(sheet.path));
    const bool hasParent = parent != byPath.end() && parent->second < i;
    out += "{\"name\":";
    appendJsonString(out, sheet.name);
    out += ",\"path\":";
    appendJsonString(out, sheet.path);
    out += ",\"page\":\"\",\"parent\":" + (hasParent ? std::to_string(parent->second) : std::string("-1")) +
           ",\"box\":[" + std::to_string(sheet.region.x1) + ',' +
           std::to_string(sheet.region.y1) + ',' + std::to_string(sheet.region.x2) + ',' +
           std::to_string(sheet.region.y2) + "]";
    if (sheet.hasZone) {
      const PageZone& z = sheet.zone;
      out += ",\"zone\":{\"offset\":[" + std::to_string(z.offset.x) + ',' + std::to_string(z.offset.y) +
             "],\"pitch\":[" + std::to_string(z.pitch.x) + ',' + std::to_string(z.pitch.y) + "],\"column\":";
      appendJsonString(out, z.firstColumn);
      out += ",\"row\":";
      appendJsonString(out, z.firstRow);
      out += z.rowFirst ? ",\"rowFirst\":true}" : ",\"rowFirst\":false}";
    }
    out += ",\"blocks\":[" + sheet.blocks + "],\"parts\":[" + sheet.parts + "]}";
  }
  out += "]}";
  return out;
}

}  // namespace comptab
