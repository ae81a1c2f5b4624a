// Small string helpers shared by every layer.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

// ASCII case-insensitive comparison: negative, 0 or positive, like strcmp.
int compareNoCase(std::string_view a, std::string_view b);
inline bool equalsNoCase(std::string_view a, std::string_view b) { return compareNoCase(a, b) == 0; }
// Edits (insertions, deletions, changes) that turn one name into the other,
// ignoring ASCII case: for "did you mean" hints, where the usual slips are a
// wrong case or one letter. Time grows with the product of the lengths.
size_t editDistanceNoCase(std::string_view a, std::string_view b);
// ASCII case changed; other bytes (UTF-8 above all) stay as they are.
std::string lowerAscii(std::string_view text);
std::string upperAscii(std::string_view text);
// Leading and trailing blanks (space, tab, line feed, vertical tab, form
// feed, carriage return) removed.
std::string_view trimBlanks(std::string_view text);

// The line and column (both from 1, the column in bytes) of byte `offset`
// of `text`, for messages that point into a file.
struct TextPlace {
  size_t line = 1;
  size_t column = 1;
};
TextPlace textPlace(std::string_view text, size_t offset);

// printf into a std::string; the attribute lets the compiler check arguments.
std::string strprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The "%d" and "%.Nf" texts of printf, made without its format parsing:
// these run once or more for every row of a table.
// As printf's "%0<width>d": at least `width` characters, the sign counted,
// zeros after it.
std::string paddedDecimal(long long value, int width);
std::string decimalText(long long value);
std::string fixedText(double value, int decimals);

// Splits a reference such as "R12" into its leading text ("R") and the rest
// from the first digit on ("12"). A text without digits is all text part;
// "U1A" gives "U" and "1A".
void splitTextNumber(std::string_view text, std::string& textPart, std::string& numberPart);

// Reads a whole decimal integer (optional sign). Returns false, leaving
// `value` alone, when the text is not one or does not fit in 32 bits.
bool parseInt(std::string_view text, int& value);

// A text that came from outside, made safe to put on one line of the error
// file or a terminal: control characters (C0, DEL and C1) and bytes that
// are not valid UTF-8 become \xNN escapes, a backslash becomes "\\", and a
// text longer than `maxBytes` is cut there (at a character boundary) with
// " [cut: N bytes in all]".
std::string printableLine(std::string_view text, size_t maxBytes);

}  // namespace comptab
