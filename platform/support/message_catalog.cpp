#include "platform/support/message_catalog.h"

#include "platform/support/file_bytes.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// A catalogue is a few kilobytes; anything far larger is not one.
constexpr size_t kMaxCatalogBytes = 1u << 20;

void addLine(std::map<int, std::string>& texts, std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t digits = 0;
  while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
  if (digits == 0 || digits > 9) return;
  int code = 0;
  if (!parseInt(line.substr(0, digits), code)) return;
  std::string_view text = line.substr(digits);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  texts[code] = std::string(text);
}

}  // namespace

void MessageCatalog::load(const std::string& path) {
  texts_.clear();
  FileBytes bytes;
  std::string why;
  // A catalogue that cannot be read leaves the messages without texts.
  if (!readFileBytes(path, kMaxCatalogBytes, 0, bytes, &why)) return;
  const std::string_view content = bytes.text();
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    addLine(texts_, content.substr(start, end - start));
    start = end + 1;
  }
}

std::string MessageCatalog::format(int code, const std::vector<std::string_view>& args) const {
  const auto it = texts_.find(code);
  std::string out;
  if (it == texts_.end()) {
    for (size_t i = 0; i < args.size(); ++i) {
      if (i > 0) out += ", ";
      out += args[i];
    }
    return out;
  }
  const std::string& text = it->second;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (next >= '1' && next <= '9') {
        const size_t index = static_cast<size_t>(next - '1');
        if (index < args.size()) out += args[index];
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace comptab
