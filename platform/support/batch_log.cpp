#include "platform/support/batch_log.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/support/environment.h"
#include "platform/support/file_locators.h"
#include "platform/support/path.h"

namespace comptab {

BatchLog::BatchLog() = default;
BatchLog::~BatchLog() = default;

void BatchLog::setMessageSource(std::string_view source) {
  source_ = std::string(source);
  catalogLoaded_ = false;
}

void BatchLog::setDirectory(std::string directory) { directory_ = std::move(directory); }

int BatchLog::setProgram(std::string_view name) {
  file_.reset();
  path_.clear();
  program_ = std::string(name);
  if (directory_.empty() || name.empty()) return 0;
  std::error_code ec;
  std::filesystem::create_directories(directory_, ec);
  if (pathKind(directory_) != PathKind::Directory || !pathAccess(directory_, Access::Writable)) return 0;
  path_ = joinPath(directory_, std::string(name) + ".err");
  return 1;
}

void BatchLog::loadCatalog() {
  catalogLoaded_ = true;
  const size_t slash = source_.find('/');
  if (slash == std::string::npos) return;
  const auto root = lookupEnv(source_.substr(0, slash));
  if (!root) return;
  const std::string file = source_.substr(slash + 1) + ".msg";
  const std::string system = joinPath(*root, "system");
  catalog_.load(joinPath(joinPath(system, SuiteFile::langDir()), file));
  if (catalog_.empty()) catalog_.load(joinPath(joinPath(system, "eng"), file));
}

void BatchLog::writeToFile(std::string_view bytes) {
  if (path_.empty()) return;
  if (!file_) {
    // Truncate the first time this run writes to the file; append after a
    // second set-up names the same file again.
    const bool started = std::find(started_.begin(), started_.end(), path_) != started_.end();
    // "e": the program that execute mode starts must not inherit the file.
    file_.reset(std::fopen(path_.c_str(), started ? "abe" : "wbe"));
    if (!file_) return;
    if (!started) started_.push_back(path_);
  }
  std::fwrite(bytes.data(), 1, bytes.size(), file_.get());
  std::fflush(file_.get());
}

void BatchLog::writeMessage(const char* kind, int code, const std::vector<std::string_view>& args) {
  if (!catalogLoaded_) loadCatalog();
  std::string text = catalog_.format(code, args);
  // One message, one line, whatever bytes a path or value carries.
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') c = ' ';
  std::string line = std::string(kind) + " " + std::to_string(code);
  if (!text.empty()) line += ": " + text;
  line += '\n';
  writeToFile(line);
  echo(line);
}

void BatchLog::writeError(int code, const std::vector<std::string_view>& args) { writeMessage("ERROR", code, args); }

void BatchLog::writeWarning(int code, const std::vector<std::string_view>& args) {
  ++warnings_;
  writeMessage("WARNING", code, args);
}

void BatchLog::writeText(std::string_view text) { writeToFile(text); }

void BatchLog::writeNote(std::string_view text) {
  std::string line(text);
  if (line.empty() || line.back() != '\n') line += '\n';
  writeToFile(line);
  echo(line);
}

void BatchLog::echo(std::string_view line) {
  if (echo_ == nullptr) return;
  const std::string echoed = (program_.empty() ? std::string("comptab") : program_) + ": " + std::string(line);
  std::fwrite(echoed.data(), 1, echoed.size(), echo_);
}

}  // namespace comptab
