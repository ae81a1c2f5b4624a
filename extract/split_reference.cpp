#include "extract/split_reference.h"

#include "platform/rsc/comp_kind.h"
#include "platform/support/text.h"

namespace comptab {

void splitReference(const CompKindTable* kinds, int kindCode, bool isBlock, std::string_view reference,
                    std::string& header, std::string& number) {
  header.clear();
  number.clear();
  if (reference.empty()) return;
  if (kinds != nullptr) {
    const std::string& kindHeader = kinds->refHeader(kindCode, isBlock);
    if (reference.starts_with(kindHeader)) {
      header = kindHeader;
      number.assign(reference.substr(kindHeader.size()));
      return;
    }
  }
  splitTextNumber(reference, header, number);
}

}  // namespace comptab
