#include "output/html_sheets.h"

#include "output/json_text.h"

namespace comptab {

void PagePlaces::add(const void* key, std::string_view name, const Box& region, const PageZone* zone,
                     std::string_view reference, Point position) {
  const auto [found, fresh] = index_.emplace(key, sheets_.size());
  if (fresh) {
    Sheet& sheet = sheets_.emplace_back();
    sheet.name = std::string(name);
    sheet.region = region;
    sheet.hasZone = zone != nullptr;
    if (zone != nullptr) sheet.zone = *zone;
  }
  std::string& parts = sheets_[found->second].parts;
  if (!parts.empty()) parts += ',';
  parts += '[';
  appendJsonString(parts, reference);
  parts += ',' + std::to_string(position.x) + ',' + std::to_string(position.y) + ']';
}

std::string PagePlaces::json() const {
  std::string out = "{\"kind\":\"points\",\"sheets\":[";
  for (size_t i = 0; i < sheets_.size(); ++i) {
    const Sheet& sheet = sheets_[i];
    if (i > 0) out += ",\n";
    out += "{\"name\":";
    appendJsonString(out, sheet.name);
    out += ",\"path\":";
    appendJsonString(out, sheet.name);
    out += ",\"page\":\"\",\"parent\":-1,\"box\":[" + std::to_string(sheet.region.x1) + ',' +
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
    out += ",\"blocks\":[],\"parts\":[" + sheet.parts + "]}";
  }
  out += "]}";
  return out;
}

}  // namespace comptab
