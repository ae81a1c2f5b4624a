// What a bill of materials adds to folded rows once grouping is done:
// references written as ranges, and the quantity to buy for a build.
#pragma once

#include <string_view>

namespace comptab {

class RecordTable;

// Writes the references of each row as ranges where three or more of one
// header follow one another: R1,R2,R3,R5 becomes R1-R3,R5 (with `rangeChar`
// for "-"). Only the parts that folding joined are looked at, in the order
// folding left them (natural order), joined again with `token`; a part that
// is not a header and a plain number (U1A, R01) is never in a range.
void writeReferenceRanges(RecordTable& table, std::string_view token, std::string_view rangeChar);

// Sets "_QTY" of each row to `boards` times its "_REFCOUNT" when the rows
// were `folded`, else to `boards`: a row that was not folded stands for one
// component, whatever "_REFCOUNT" property the design gave it.
void setBuildQuantity(RecordTable& table, int boards, bool folded);

}  // namespace comptab
