// A sheet's zone grid: the column and row labels that name where a
// component stands ("C-2", or "B3" on a KiCad sheet), and the offset the
// grid is moved to before they are computed.
//
// Labels along an axis come in one of two styles:
//
//   alphabetic  A, B, ..., Z, AA, AB, ..., AZ, BA, ..., ZZ, AAA, ...
//               (A is 1, Z 26, AA 27: every number from 1 up has one label)
//   numeric     0, 1, 2, ... in decimal
//
// A grid names its first column and first row; the label of the column
// `index` steps further is num2alpha(alpha2num(first) + index) (or the
// numeric pair), which advance() does without overflow.
#pragma once

#include <string>
#include <string_view>

#include "platform/sheet/design_types.h"

namespace comptab {

class SheetRef;
class ZoneRef;

// The labels along one axis of the grid.
struct ZoneAxis {
  enum Style { Neither = 0, Alphabetic = 1, Numeric = 2 };

  // Alphabetic: one or more of the capitals A to Z. Numeric: one or more
  // digits. Anything else, the empty label, lower case and a mix of letters
  // and digits included, is neither.
  static int style(std::string_view label);

  // The number of an alphabetic label; -1 when the label is not alphabetic
  // or its number does not fit in a signed 32-bit integer (beyond FXSHRXW).
  static int alpha2num(std::string_view label);
  // The label of a number; "" for a number below 1.
  static std::string num2alpha(int number);

  // The number of a numeric label ("007" is 7); -1 when the label is not
  // numeric or beyond 2147483647.
  static int digit2num(std::string_view label);
  // The label of a number, without leading zeros; "" for a negative number.
  static std::string num2digit(int number);

  // The label `index` steps after `first`, in the style of `first`; "" when
  // `first` is neither style, `index` is negative, or the result would be
  // beyond the 32-bit range.
  static std::string advance(std::string_view first, int index);
};

// What the label needs of a sheet's zone grid.
struct ZoneGrid {
  Point offset;
  Point pitch;
  int origin = 0;                // the corner counted from: 0 (x1,y1), 1 (x2,y1), 2 (x1,y2), 3 (x2,y2)
  std::string_view firstColumn;  // the label of the first column, e.g. "A" or "1"
  std::string_view firstRow;
  // The row's label first and nothing between ("B3"), as a KiCad drawing
  // sheet names its zones.
  bool rowFirst = false;
};

// The "_ZONE" label of a position: "<column>-<row>" (or "<row><column>").
// Empty when the
// position lies outside the grid on the side its origin counts from, or
// when a pitch is not positive. An origin code outside 0..3 counts from the
// sheet's corner (x1,y1) without the offset. A first label of neither style
// leaves its half empty ("-2").
std::string zoneLabel(const ZoneGrid& grid, Point position, Box region);

// The offset the grid asks for: setting 1 puts a grid line through the
// middle of the sheet, setting 2 the middle of a cell; any other setting,
// or a pitch that is not positive, keeps the stored offset.
Point automaticOffset(Box region, Point pitch, int autoset, Point stored);

// Moves the open sheet's grid (in memory only) to its automatic offset.
void normalizeZoneOffset(const SheetRef& sheet, const ZoneRef& zone);

}  // namespace comptab
