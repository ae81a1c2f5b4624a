// How packaging reports a row: whether at all on this output item, and the
// text that names the row's destination in its messages.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

class ComponentRecord;

// The words before a destination's name, in the message language.
class DestinationWords {
 public:
  // Reads the suite's language once.
  DestinationWords();
  // " (Destination:NAME)" for a row with a "_DEST" value, else empty.
  std::string textFor(const ComponentRecord& row) const;

 private:
  std::string opening_;
};

struct RowReport {
  // Rows present in every output item are reported on the first only;
  // rows of a named destination in each item, their destination text
  // telling the items apart.
  bool on = false;
  std::string destinationText;
};

RowReport rowReport(const ComponentRecord& row, int firstItem, const DestinationWords& words);

// How a warning names a row's component: by the reference a person finds
// on the sheet, with the id that tells the gates of one part apart
// ("R4 (cmp4)"), or the one it was left out of a package with; by the id
// alone when there is neither.
std::string componentInWarning(const ComponentRecord& row);

}  // namespace comptab
