#include "platform/support/name_order.h"

#include <algorithm>
#include <cstddef>

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
  // Names compared in bulk (the references of a group, a sorted column)
  // mostly share a long start. Runs wholly inside it are equal either way,
  // so the runs are read from the start of the run the first difference
  // falls in: that start is a run boundary in both names alike.
  const size_t common = static_cast<size_t>(
      std::mismatch(a.begin(), a.begin() + static_cast<ptrdiff_t>(std::min(a.size(), b.size())), b.begin()).first -
      a.begin());
  if (common == a.size() && common == b.size()) return 0;
  size_t start = common;
  if (start > 0) {
    const bool digits = isDigit(a[start - 1]);
    while (start > 0 && isDigit(a[start - 1]) == digits) --start;
  }
  // Most often the difference lies in a number with no leading zeros, as
  // in a run of references: the longer number is the larger, and between
  // two of one length the first differing digit decides.
  if (start < a.size() && start < b.size() && isDigit(a[start]) && isDigit(b[start]) && a[start] != '0' &&
      b[start] != '0') {
    const size_t la = runLength(a, start);
    const size_t lb = runLength(b, start);
    if (la != lb) return la < lb ? -1 : 1;
    if (common < start + la) return a[common] < b[common] ? -1 : 1;
  }
  size_t i = start;
  size_t j = start;
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
