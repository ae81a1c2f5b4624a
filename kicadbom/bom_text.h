// The text rules of KiCad's BOM export, written to give its exact order and
// wording: the natural reference order, the value-aware order of the sort
// column, reference ranges ("R1-R4"), unit letters, and the filter's
// wildcard search.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace comptab {

// Natural order: runs of digits compare as numbers ("R2" < "R10"); with
// `ignoreCase`, letters compare upper-cased. -1, 0 or 1.
int naturalCompare(std::string_view a, std::string_view b, bool ignoreCase);

// A value split the way KiCad's value order sees it: a text before the
// number, the number with any unit prefix applied ("4k7" is 4700), and what
// follows it. Computed once per row so that sorting compares, not parses.
struct ValueKey {
  std::string begin;
  double number = 0;
  std::string end;
  bool endIsModifier = false;
};
ValueKey valueKey(std::string_view text);
// KiCad's value order: the text before the number case-blind, then the
// number, then (when neither ending is a unit) the ending case-blind.
int compareValueKeys(const ValueKey& a, const ValueKey& b);
inline int valueCompare(std::string_view a, std::string_view b) { return compareValueKeys(valueKey(a), valueKey(b)); }

// A reference as KiCad splits it: "R12" is "R" and "12"; an unannotated
// "R?" and a reference without a trailing number ("FID") have the number
// "?". `number` is -1 when there is none. Views into the reference given
// (or of "?"): it must outlive them.
struct SplitReference {
  std::string_view prefix;
  std::string_view digits;  // as written, leading zeros kept; "?" when none
  long number = -1;
};
SplitReference splitReference(std::string_view reference);

// The letter KiCad shows after a reference for a unit: 1 is "A", 26 "Z",
// 27 "AA".
std::string unitLetter(int unit);

// References, sorted and without repeats, in KiCad's short form: three or
// more in a row with the same prefix become a range; an empty
// `rangeDelimiter` lists every one.
std::string referenceRanges(const std::vector<const SplitReference*>& refs, std::string_view delimiter,
                            std::string_view rangeDelimiter);

// Whether `text` contains a match of the wildcard `pattern` ('?' one
// character, '*' any run), as KiCad's filter searches.
bool wildcardFound(std::string_view pattern, std::string_view text);

}  // namespace comptab
