#include "platform/kicad/kicad_spice_library.h"

#include <algorithm>

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

// What KiCad skips between the words of a line.
bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '=' || c == '(' || c == ')' || c == ','; }

// Where a comment starts in an include line: ';', '$' or "//".
size_t commentStart(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == ';' || text[i] == '$' || (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '/')) return i;
  return text.size();
}

// The file an include line names, or nullopt when the line is no include
// as KiCad reads it. The keyword is anything starting with ".inc", in any
// case. A path in quotes or apostrophes is taken as it stands; one without
// runs to a comment or the end of the line, blanks before it kept (so
// "x.lib ; note" names "x.lib ", which is not found). A "${VAR}" without
// quotes is thus cut at its '$'.
std::optional<std::string> includedFile(std::string_view line) {
  size_t at = 0;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  if (at + 4 > line.size() || line[at] != '.' || lowerAscii(line.substr(at, 4)) != ".inc") return std::nullopt;
  at += 4;
  while (at < line.size() && !isSeparator(line[at])) ++at;
  if (at == line.size()) return std::nullopt;
  while (at < line.size() && isSeparator(line[at])) ++at;
  const std::string_view rest = line.substr(at);
  if (!rest.empty() && (rest.front() == '"' || rest.front() == '\'')) {
    const size_t close = rest.find(rest.front(), 1);
    if (close != std::string_view::npos) {
      size_t after = close + 1;
      while (after < rest.size() && isSeparator(rest[after])) ++after;
      // Anything else after the closing quote makes it a line KiCad skips.
      if (commentStart(rest.substr(after)) != 0) return std::nullopt;
      return std::string(rest.substr(1, close - 1));
    }
  }
  return std::string(rest.substr(0, commentStart(rest)));
}

struct Statement {
  std::string text;  // for an include, the path it names
  bool include = false;
};

// The file's statements: continuation lines ("+ ...") joined, comment
// lines ("* ...") and everything after a ';' dropped.
std::vector<Statement> statements(std::string_view text) {
  std::vector<Statement> out;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (std::optional<std::string> path = includedFile(line)) {
      out.push_back({std::move(*path), true});
      continue;
    }
    if (const size_t comment = line.find(';'); comment != std::string_view::npos) line = line.substr(0, comment);
    line = trimBlanks(line);
    if (line.empty() || line.front() == '*') continue;
    if (line.front() == '+' && !out.empty()) {
      if (!out.back().include) out.back().text.append(" ").append(line.substr(1));
      continue;
    }
    out.push_back({std::string(line), false});
  }
  return out;
}

// A file included again while it is still being read is a loop (KiCad 10
// crashes on it). Links can hide a loop from the paths, and a chain of
// large files costs memory and time: the nesting and the number of files
// of one library are capped too.
constexpr int kMaxIncludeDepth = 16;
constexpr size_t kMaxIncludedFiles = 256;

}  // namespace

std::optional<KicadSpiceLibrary> KicadSpiceLibrary::parse(std::string_view text) {
  KicadSpiceLibrary library;
  int subcircuitDepth = 0;  // KiCad follows no include inside a .subckt body
  const auto add = [&library](std::string_view name, KicadSpiceModel model) {
    std::string key = lowerAscii(name);
    if (library.byName_.try_emplace(key, library.models_.size()).second)
      library.models_.emplace_back(std::move(key), std::move(model));
  };
  for (Statement& statement : statements(text)) {
    if (statement.include) {
      if (subcircuitDepth == 0) library.includes_.push_back({std::move(statement.text), library.models_.size()});
      continue;
    }
    const std::vector<std::string_view> parts = words(statement.text);
    const std::string command = lowerAscii(parts.front());
    if (command == ".model") {
      if (parts.size() < 3) return std::nullopt;
      // The type ends where its parameters start; one KiCad does not know
      // still makes a model, without pins.
      std::string_view type = parts[2];
      type = type.substr(0, type.find_first_of("()=,"));
      KicadSpiceModel model;
      if (const std::vector<std::string>* pins = devicePins(type)) model.pins = *pins;
      add(parts[1], std::move(model));
    } else if (command == ".subckt" && parts.size() >= 2) {
      ++subcircuitDepth;
      KicadSpiceModel model;
      model.subcircuit = true;
      for (size_t i = 2; i < parts.size(); ++i) {
        if (parts[i].find('=') != std::string_view::npos || lowerAscii(parts[i]) == "params:") break;
        model.pins.emplace_back(parts[i]);
      }
      add(parts[1], std::move(model));
    } else if (command == ".ends" && subcircuitDepth > 0) {
      --subcircuitDepth;
    }
  }
  return library;
}

const KicadSpiceModel* KicadSpiceLibrary::find(std::string_view name) const {
  const auto found = byName_.find(lowerAscii(name));
  return found == byName_.end() ? nullptr : &models_[found->second].second;
}

const std::optional<KicadSpiceLibrary>& KicadSpiceLibraries::file(const std::string& path) {
  auto [entry, added] = files_.try_emplace(path);
  if (added) {
    // KiCad only notes a file it cannot read and goes on; so do we.
    FileBytes bytes;
    std::string ignored;
    if (readFileBytes(path, kMaxLibraryBytes, 0, bytes, &ignored))
      entry->second = KicadSpiceLibrary::parse(bytes.text());
  }
  return entry->second;
}

// KiCad looks for an included file beside the file that includes it, then
// (with "\\" read as "/" and ${KIPRJMOD} expanded) as it looks for the
// library itself, from the project folder. The empty path it returns for
// another variable stands for a file not found.
std::string KicadSpiceLibraries::includedPath(std::string_view written, const std::string& includingFile) const {
  if (written.starts_with('/')) return packPath(written);
  if (!written.empty()) {
    std::string beside = packPath(joinPath(directoryPart(includingFile), written));
    if (pathKind(beside) != PathKind::Missing) return beside;
  }
  std::string path(written);
  for (char& c : path)
    if (c == '\\') c = '/';
  constexpr std::string_view kProjectVar = "${KIPRJMOD}";
  if (path.starts_with(kProjectVar)) path = projectDir_ + path.substr(kProjectVar.size());
  // Another variable, and the file is not found.
  if (path.find("${") != std::string::npos) return std::string();
  return packPath(path.starts_with('/') ? path : joinPath(projectDir_, path));
}

bool KicadSpiceLibraries::merge(const std::string& path, int depth, std::vector<std::string>& open,
                                std::unordered_set<std::string>& merged, Models& models) {
  const std::optional<KicadSpiceLibrary>& library = file(path);
  if (!library) return false;
  // A file met again adds nothing: its models came first the time before.
  merged.insert(path);
  open.push_back(path);
  bool clean = true;
  const auto& own = library->models();
  size_t next = 0;
  const auto addUpTo = [&](size_t end) {
    for (; next < end; ++next) models.try_emplace(own[next].first, own[next].second);
  };
  for (const KicadSpiceLibrary::Include& include : library->includes()) {
    addUpTo(include.modelsBefore);
    const std::string included = includedPath(include.path, path);
    if (included.empty() || std::find(open.begin(), open.end(), included) != open.end()) {
      clean = false;  // not found, or a loop
    } else if (merged.contains(included)) {
      continue;
    } else if (depth >= kMaxIncludeDepth || merged.size() >= kMaxIncludedFiles) {
      clean = false;
    } else {
      clean = merge(included, depth + 1, open, merged, models) && clean;
    }
  }
  addUpTo(own.size());
  open.pop_back();
  return clean;
}

const KicadSpiceModel* KicadSpiceLibraries::find(std::string_view library, std::string_view model) {
  std::string path(library);
  constexpr std::string_view kProjectVar = "${KIPRJMOD}";
  if (path.starts_with(kProjectVar)) path = projectDir_ + path.substr(kProjectVar.size());
  if (path.find("${") != std::string::npos) return nullptr;
  if (!path.starts_with('/')) path = joinPath(projectDir_, path);
  // "./models.lib" and "models.lib" are one library, read once.
  path = packPath(path);
  auto [entry, added] = libraries_.try_emplace(path);
  if (added) {
    std::vector<std::string> open;
    std::unordered_set<std::string> merged;
    if (!merge(path, 0, open, merged, entry->second))
      for (auto& [name, found] : entry->second) found.libraryClean = false;
  }
  const auto found = entry->second.find(lowerAscii(model));
  return found == entry->second.end() ? nullptr : &found->second;
}

}  // namespace comptab
