#include "platform/support/environment.h"

#include <cstdlib>

namespace comptab {

std::optional<std::string> lookupEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool setEnv(const std::string& name, const std::string& value) {
  return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

namespace {
bool isNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isNameChar(char c) { return isNameStart(c) || (c >= '0' && c <= '9'); }
}  // namespace

std::optional<std::string> substituteEnv(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '$' || i + 1 >= text.size()) {
      out += c;
      ++i;
      continue;
    }
    const char next = text[i + 1];
    std::string name;
    if (next == '$') {
      out += '$';
      i += 2;
      continue;
    }
    if (next == '{') {
      const size_t close = text.find('}', i + 2);
      if (close == std::string_view::npos) return std::nullopt;
      name.assign(text.substr(i + 2, close - i - 2));
      i = close + 1;
    } else if (isNameStart(next)) {
      size_t end = i + 1;
      while (end < text.size() && isNameChar(text[end])) ++end;
      name.assign(text.substr(i + 1, end - i - 1));
      i = end;
    } else {
      out += c;
      ++i;
      continue;
    }
    const auto value = lookupEnv(name);
    if (!value) return std::nullopt;
    out += *value;
  }
  return out;
}

}  // namespace comptab
