// The drawing half of the interactive page for sheets of comptab's own
// formats (a sheet file or a circuit): each sheet instance's region, its
// zone grid, and each component as a marked point with its reference, as
// the walk meets them. Nothing is read again for it.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <deque>
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
  // The sheet instance `path`, named `name`, when the walk first meets a
  // component of it. In a circuit, `path` is the instance's hierarchical
  // id ("001.cmp5/002.cmp", the sheet 002 in block 5 of the sheet 001),
  // which places it in the tree.
  void addSheet(std::string_view path, std::string_view name, const Box& region, const PageZone* zone);
  // A component of the sheet `path`, added before.
  void addPart(std::string_view path, std::string_view reference, Point position);
  // A block of the circuit sheet `path`: its component number, which the
  // ids of the sheets inside it carry ("001.cmp5/..."), its name and place.
  void addBlock(std::string_view path, int32_t number, std::string_view name, Point position);
  bool empty() const { return sheets_.empty(); }
  // Whether `path` was met before: its name, region and zone need not be
  // made again.
  bool knows(std::string_view path) const { return index_.count(path) != 0; }
  // The JSON the page's script reads (docs/html.md).
  std::string json() const;

 private:
  struct Sheet {
    std::string name;
    std::string path;
    Box region;
    bool hasZone = false;
    PageZone zone;
    std::string parts;   // JSON: ["R1",x,y],...
    std::string blocks;  // JSON: [number,"name",x,y],...
  };
  std::deque<Sheet> sheets_;  // a deque: the paths the index views stay put
  std::unordered_map<std::string_view, size_t> index_;  // views of the sheets' paths
};

}  // namespace comptab
