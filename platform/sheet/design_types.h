// Small value types of the design libraries, in design units.
#pragma once

#include <cstdint>

namespace comptab {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Two corners of a rectangle.
struct Box {
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
  friend bool operator==(const Box&, const Box&) = default;
};

}  // namespace comptab
