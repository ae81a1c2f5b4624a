// JSON text for a page: strings escaped so that the JSON can sit inside a
// <script> element of an HTML page and still read as the same values.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

// Appends `text` as a JSON string, quotes included. Besides what JSON asks
// for, '<', '>' and '&' are written as \u escapes (no "</script>" or
// "<!--" can form), and so are U+2028 and U+2029, which older script
// parsers take for line ends. Bytes that are not UTF-8 become U+FFFD.
void appendJsonString(std::string& out, std::string_view text);

// Appends a number of millimetres with at most three decimals and no
// trailing zeros: "12.7", "-3", "0.254".
void appendJsonNumber(std::string& out, double value);

}  // namespace comptab
