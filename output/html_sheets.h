// The drawing half of the interactive page for sheets of comptab's own
// formats (a sheet file or a circuit): each sheet instance's region, its
// zone grid, and each component as a marked point with its reference, as
// the walk meets them. Nothing is read again for it.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sheet/design_types.h"

namespace comptab {

// A sheet's zone grid as drawn: where it starts, its pitch and its first
// labels; rows are named first ("B3") where rowFirst says so.
struct PageZone {
  Point offset;
  Point pitch;
  std::string firstColumn;
  std::string firstRow;
  bool rowFirst = false;
};

class PagePlaces {
 public:
  // A component met by the walk on the sheet instance `key` (any pointer
  // that is the same for every component of one instance), named `name`.
  // The sheet's region and zone are taken from its first component.
  void add(const void* key, std::string_view name, const Box& region, const PageZone* zone,
           std::string_view reference, Point position);
  bool empty() const { return sheets_.empty(); }
  // The JSON the page's script reads (docs/html.md).
  std::string json() const;

 private:
  struct Sheet {
    std::string name;
    Box region;
    bool hasZone = false;
    PageZone zone;
    std::string parts;  // JSON: ["R1",x,y],...
  };
  std::vector<Sheet> sheets_;
  std::unordered_map<const void*, size_t> index_;
};

}  // namespace comptab
