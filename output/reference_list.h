// The references a line of a table stands for, read back from its
// reference cell: the joined references of a folded line, with the
// ranges a bill of materials writes ("R1-R3") opened up again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace comptab {

// Appends to `out` each reference of `cell`, the references joined by
// `token` (none: the cell is one reference). With `rangeChar`, an item
// "R1-R3" (same prefix, the second number the larger) stands for R1, R2
// and R3; an item that only looks like a range stays as it is.
void splitReferences(std::string_view cell, std::string_view token, std::string_view rangeChar,
                     std::vector<std::string>& out);

}  // namespace comptab
