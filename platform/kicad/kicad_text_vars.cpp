#include "platform/kicad/kicad_text_vars.h"

namespace comptab {

namespace {

// As deep as KiCad goes before it leaves a variable as written.
constexpr int kMaxPasses = 10;
// A text naming itself twice doubles at each pass; past this it stops.
constexpr size_t kMaxBytes = size_t{1} << 20;

// One pass: each "${...}" (braces inside counted) replaced once.
std::string expandOnce(std::string_view text, const KicadVarLookup& lookup, bool& changed) {
  std::string out;
  out.reserve(text.size());
  std::string value;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '$' || i + 1 >= text.size() || text[i + 1] != '{') {
      out += text[i++];
      continue;
    }
    size_t j = i + 2;
    int depth = 1;
    while (j < text.size()) {
      if (text[j] == '{') ++depth;
      if (text[j] == '}' && --depth == 0) break;
      ++j;
    }
    if (j >= text.size()) {  // not closed: the rest is text
      out.append(text.substr(i));
      break;
    }
    const std::string_view name = text.substr(i + 2, j - i - 2);
    value.clear();
    if (!name.empty() && lookup(name, value)) {
      out += value;
      changed = true;
    } else {
      out.append(text.substr(i, j + 1 - i));
    }
    i = j + 1;
  }
  return out;
}

}  // namespace

std::string expandKicadTextVars(std::string_view text, const KicadVarLookup& lookup) {
  std::string out(text);
  for (int pass = 0; pass < kMaxPasses && out.size() < kMaxBytes && out.find("${") != std::string::npos; ++pass) {
    bool changed = false;
    out = expandOnce(out, lookup, changed);
    if (!changed) break;
  }
  return out;
}

}  // namespace comptab
