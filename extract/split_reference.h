// "_REFH" and "_REFN": a reference split into its header and its number.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

class CompKindTable;

// With a component-kind table, a reference that begins with its kind's
// header (the block header for a block) splits after that header: R12 with
// header "R" gives "R" and "12". Otherwise the split is at the first digit.
// `header` and `number` are left empty for an empty reference.
void splitReference(const CompKindTable* kinds, int kindCode, bool isBlock, std::string_view reference,
                    std::string& header, std::string& number);

}  // namespace comptab
