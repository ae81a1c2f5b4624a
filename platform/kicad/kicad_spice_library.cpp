#include "platform/kicad/kicad_spice_library.h"

#include "platform/support/file_bytes.h"
#include "platform/support/path.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// A SPICE library is a text file of a few megabytes at most.
constexpr size_t kMaxLibraryBytes = size_t{64} << 20;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The pins KiCad gives each device model type it knows.
const std::vector<std::string>* devicePins(std::string_view type) {
  static const std::unordered_map<std::string, std::vector<std::string>> kTypes = {
      {"d", {"A", "K"}},
      {"npn", {"C", "B", "E", "<S>"}},
      {"pnp", {"C", "B", "E", "<S>"}},
      {"njf", {"D", "G", "S"}},
      {"pjf", {"D", "G", "S"}},
      {"nmf", {"D", "G", "S"}},
      {"pmf", {"D", "G", "S"}},
      {"nmos", {"D", "G", "S", "B"}},
      {"pmos", {"D", "G", "S", "B"}},
      {"vdmos", {"D", "G", "S", "<TJ>"}},
      {"sw", {"ctrl+", "ctrl-", "no+", "no-"}},
      {"csw", {"ctrl+", "ctrl-", "no+", "no-"}},
      {"r", {}},
      {"c", {}},
      {"l", {}},
  };
  const auto found = kTypes.find(lowerAscii(type));
  return found == kTypes.end() ? nullptr : &found->second;
}

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && isSpace(line[at])) ++at;
    const size_t start = at;
    while (at < line.size() && !isSpace(line[at])) ++at;
    if (at > start) out.push_back(line.substr(start, at - start));
  }
  return out;
}

// The file's statements: continuation lines ("+ ...") joined, comment
// lines ("* ...") and everything after a ';' dropped.
std::vector<std::string> statements(std::string_view text) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (const size_t comment = line.find(';'); comment != std::string_view::npos) line = line.substr(0, comment);
    line = trimBlanks(line);
    if (line.empty() || line.front() == '*') continue;
    if (line.front() == '+' && !out.empty()) {
      out.back().append(" ").append(line.substr(1));
      continue;
    }
    out.emplace_back(line);
  }
  return out;
}

bool balanced(std::string_view text) {
  int depth = 0;
  for (const char c : text) {
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) return false;
  }
  return depth == 0;
}

}  // namespace

std::optional<KicadSpiceLibrary> KicadSpiceLibrary::parse(std::string_view text) {
  KicadSpiceLibrary library;
  for (const std::string& statement : statements(text)) {
    const std::vector<std::string_view> parts = words(statement);
    const std::string command = lowerAscii(parts.front());
    if (command == ".model") {
      if (parts.size() < 3 || !balanced(statement)) return std::nullopt;
      std::string_view type = parts[2];
      if (const size_t paren = type.find('('); paren != std::string_view::npos) type = type.substr(0, paren);
      const std::vector<std::string>* pins = devicePins(type);
      if (pins == nullptr) return std::nullopt;
      KicadSpiceModel model;
      model.pins = *pins;
      library.models_.emplace(lowerAscii(parts[1]), std::move(model));
    } else if (command == ".subckt" && parts.size() >= 2) {
      KicadSpiceModel model;
      model.subcircuit = true;
      for (size_t i = 2; i < parts.size(); ++i) {
        if (parts[i].find('=') != std::string_view::npos || lowerAscii(parts[i]) == "params:") break;
        model.pins.emplace_back(parts[i]);
      }
      library.models_.emplace(lowerAscii(parts[1]), std::move(model));
    }
  }
  return library;
}

const KicadSpiceModel* KicadSpiceLibrary::find(std::string_view name) const {
  const auto found = models_.find(lowerAscii(name));
  return found == models_.end() ? nullptr : &found->second;
}

const KicadSpiceModel* KicadSpiceLibraries::find(std::string_view library, std::string_view model) {
  std::string path(library);
  constexpr std::string_view kProjectVar = "${KIPRJMOD}";
  if (path.starts_with(kProjectVar)) path = projectDir_ + path.substr(kProjectVar.size());
  if (path.find("${") != std::string::npos) return nullptr;
  if (!path.starts_with('/')) path = joinPath(projectDir_, path);
  // "./models.lib" and "models.lib" are one library, read once.
  auto [entry, added] = read_.try_emplace(packPath(path));
  if (added) {
    // KiCad only notes a library it cannot read and falls back; so do we.
    FileBytes bytes;
    std::string ignored;
    if (readFileBytes(path, kMaxLibraryBytes, 0, bytes, &ignored)) entry->second = KicadSpiceLibrary::parse(bytes.text());
  }
  return entry->second ? entry->second->find(model) : nullptr;
}

}  // namespace comptab
