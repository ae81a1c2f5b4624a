// Zone labels: the column and row names of a sheet's zone grid, in one of
// two styles.
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

namespace comptab {

struct ZoneLabel {
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

}  // namespace comptab
