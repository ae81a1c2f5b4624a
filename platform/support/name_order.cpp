#include "platform/support/name_order.h"

#include "platform/support/text.h"

namespace comptab {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of digits (or of non-digits) that starts at `from`.
size_t runLength(std::string_view s, size_t from) {
  const bool digits = isDigit(s[from]);
  size_t end = from;
  while (end < s.size() && isDigit(s[end]) == digits) ++end;
  return end - from;
}

// Numeric comparison of two digit runs of any length.
int compareNumbers(std::string_view a, std::string_view b) {
  while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
  while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int compareNames(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const size_t la = runLength(a, i);
    const size_t lb = runLength(b, j);
    const std::string_view ra = a.substr(i, la);
    const std::string_view rb = b.substr(j, lb);
    const bool da = isDigit(ra.front());
    const bool db = isDigit(rb.front());
    int c = 0;
    if (da != db)
      c = da ? -1 : 1;  // a number sorts before text, as digits do in ASCII
    else
      c = da ? compareNumbers(ra, rb) : compareNoCase(ra, rb);
    if (c != 0) return c;
    i += la;
    j += lb;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace comptab
