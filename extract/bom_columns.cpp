#include "extract/bom_columns.h"

#include <span>
#include <string>
#include <vector>

#include "platform/support/text.h"
#include "table/record_table.h"

namespace comptab {

namespace {

struct Reference {
  std::string_view text;
  std::string_view header;
  long number = -1;  // -1: not a header and a plain number
};

Reference parseReference(std::string_view text) {
  Reference ref{text, text, -1};
  size_t digit = text.size();
  while (digit > 0 && text[digit - 1] >= '0' && text[digit - 1] <= '9') --digit;
  const std::string_view digits = text.substr(digit);
  // A leading zero would not survive a range (R08-R10 reads as R8 to R10),
  // and a very long number is no reference count a board has.
  if (digits.empty() || digits.size() > 9 || (digits.size() > 1 && digits.front() == '0')) return ref;
  ref.header = text.substr(0, digit);
  ref.number = 0;
  for (const char c : digits) ref.number = ref.number * 10 + (c - '0');
  return ref;
}

bool follows(const Reference& before, const Reference& after) {
  return before.number >= 0 && after.number == before.number + 1 && after.header == before.header;
}

}  // namespace

void writeReferenceRanges(RecordTable& table, std::string_view token, std::string_view rangeChar) {
  const NameId referenceName = internName("reference");
  std::vector<std::string_view> parts;
  std::vector<Reference> refs;
  std::string written;
  for (int r = 0; r < table.count(); ++r) {
    ComponentRecord& row = table.at(r);
    const PropertyList& list = row.properties();
    const size_t at = list.find(referenceName);
    if (at == PropertyList::npos) continue;
    const std::span<const uint32_t> joins = list.joins(at);
    if (joins.size() < 2) continue;  // fewer than three references
    const std::string_view value = *list.text(at);

    parts.clear();
    splitAtJoins(value, joins, token.size(), parts);
    refs.clear();
    for (const std::string_view part : parts) refs.push_back(parseReference(part));

    written.clear();
    for (size_t i = 0; i < refs.size();) {
      size_t last = i;
      while (last + 1 < refs.size() && follows(refs[last], refs[last + 1])) ++last;
      if (!written.empty()) written.append(token);
      if (last - i >= 2) {
        written.append(refs[i].text);
        written.append(rangeChar);
        written.append(refs[last].text);
        i = last + 1;
      } else {
        written.append(refs[i].text);
        ++i;
      }
    }
    row.setProperty(referenceName, written);
  }
}

void setBuildQuantity(RecordTable& table, int boards, bool folded) {
  const NameId countName = internName("_REFCOUNT");
  const NameId quantityName = internName("_QTY");
  for (int r = 0; r < table.count(); ++r) {
    ComponentRecord& row = table.at(r);
    int count = 1;
    if (folded)
      if (const PropertyText text = row.value(countName)) parseInt(*text, count);
    row.setProperty(quantityName, decimalText(static_cast<long long>(count) * boards));
  }
}

}  // namespace comptab
