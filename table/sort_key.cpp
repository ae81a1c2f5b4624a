#include "table/sort_key.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace comptab {

namespace {

// A name's key is its folded form, then the name's own bytes for the tie
// that compareNames breaks by bytes, the two parts kept apart so that the
// folded form alone decides whenever it differs:
//   folded:  a digit run is kNumber, the count of its digits without
//            leading zeros, then those digits (so that a longer number is a
//            larger one); any other byte is its ASCII lower case, bytes up
//            to kEscape written as kEscape and the byte plus one, so that
//            every text byte sorts after kNumber (a number before a text, as
//            digits come before letters) and after kFoldedEnd;
//   then kFoldedEnd, below every byte a folded form can go on with, so a
//   name whose runs are a prefix of another's comes first;
//   raw:     the name's bytes, a zero byte followed by 0xFF, and a final
//            zero pair, below anything that can follow a byte.
constexpr unsigned char kFoldedEnd = 0x00;
constexpr unsigned char kNumber = 0x01;
constexpr unsigned char kEscape = 0x02;
// Digit counts from here on take kLongCount and eight big-endian bytes.
constexpr unsigned char kLongCount = 0xFF;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

void put(std::string& out, unsigned char byte) { out.push_back(static_cast<char>(byte)); }

void putBigEndian(std::string& out, uint64_t value) {
  for (int shift = 56; shift >= 0; shift -= 8) put(out, static_cast<unsigned char>(value >> shift));
}

void appendDigitCount(std::string& out, size_t count) {
  if (count < kLongCount) {
    put(out, static_cast<unsigned char>(count));
    return;
  }
  put(out, kLongCount);
  putBigEndian(out, count);
}

}  // namespace

void appendNameKey(std::string& out, std::string_view name) {
  size_t i = 0;
  while (i < name.size()) {
    if (isDigit(name[i])) {
      size_t end = i;
      while (end < name.size() && isDigit(name[end])) ++end;
      size_t first = i;
      while (end - first > 1 && name[first] == '0') ++first;
      put(out, kNumber);
      appendDigitCount(out, end - first);
      out.append(name.substr(first, end - first));
      i = end;
      continue;
    }
    auto byte = static_cast<unsigned char>(name[i++]);
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<unsigned char>(byte - 'A' + 'a');
    if (byte <= kEscape) {
      put(out, kEscape);
      put(out, static_cast<unsigned char>(byte + 1));
    } else {
      put(out, byte);
    }
  }
  put(out, kFoldedEnd);
  for (const char c : name) {
    out.push_back(c);
    if (c == '\0') put(out, 0xFF);
  }
  put(out, 0);
  put(out, 0);
}

// A value first (0x01), then its magnitude, then the text for equal
// magnitudes; a text that is no value after every value (0x02).
void appendElectricalKey(std::string& out, std::string_view text, std::optional<double> magnitude) {
  if (magnitude) {
    put(out, 0x01);
    // A double's bits as an unsigned number: positive numbers keep their
    // order with the sign bit set, negative ones turned round; -0 is 0.
    const double value = *magnitude == 0 ? 0.0 : *magnitude;
    uint64_t bits = std::bit_cast<uint64_t>(value);
    bits = (bits >> 63) != 0 ? ~bits : bits | (uint64_t{1} << 63);
    putBigEndian(out, bits);
  } else {
    put(out, 0x02);
  }
  appendNameKey(out, text);
}

int compareKeys(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  if (n > 0)
    if (const int c = std::memcmp(a.data(), b.data(), n); c != 0) return c;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace comptab
