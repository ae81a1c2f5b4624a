// Sort keys as bytes: each row's key values turned once into a text that
// memcmp orders as the row comparison would, so that sorting a big table
// compares bytes rather than parsing digit runs and electrical values at
// every comparison. The rules the bytes follow are in sort_key.cpp.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace comptab {

// Appends the key of `name`. Two keys compare (bytewise, a key that is a
// prefix of the other first) as compareNames compares the names, and are
// equal only for identical names. No key is a proper prefix of another,
// so keys written one after another compare key by key.
void appendNameKey(std::string& out, std::string_view name);

// Appends the key of a text compared as an electrical value, `magnitude`
// being electricalValue(text): as compareElectrical orders them.
void appendElectricalKey(std::string& out, std::string_view text, std::optional<double> magnitude);

// Compares two keys: negative, 0 or positive.
int compareKeys(std::string_view a, std::string_view b);

}  // namespace comptab
