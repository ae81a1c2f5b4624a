#include "platform/support/batch_log.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/support/environment.h"
#include "platform/support/file_handle.h"
#include "platform/support/file_locators.h"
#include "platform/support/path.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// Long enough for the longest path with its reason; a name of a megabyte
// is not repeated whole.
constexpr size_t kMaxNoteBytes = 4096;

}  // namespace

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
  // A log folder or error file planted as a symlink would have every run
  // truncate and write whatever file it names.
  if (isSymlink(directory_) && !staysInside(directory_, directoryPart(directory_)))
    return refuse(directory_, "the log folder is a symbolic link that leads out of its folder");
  std::error_code ec;
  std::filesystem::create_directories(directory_, ec);
  if (pathKind(directory_) != PathKind::Directory || !pathAccess(directory_, Access::Writable)) return 0;
  const std::string path = joinPath(directory_, std::string(name) + ".err");
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    return refuse(path, S_ISLNK(info.st_mode) ? "this is a symbolic link; remove it" : "this is not a regular file");
  path_ = path;
  return 1;
}

int BatchLog::refuse(const std::string& path, const std::string& why) {
  refusal_ = strprintf("The error file is not written at \"%s\": %s.", path.c_str(), why.c_str());
  return 0;
}

void BatchLog::writeRefusal() {
  if (refusal_.empty()) return;
  std::string note = std::move(refusal_);
  refusal_.clear();
  writeNote(note);
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
    // The handle is opened close-on-exec: the program that execute mode
    // starts must not inherit it. A symlink put there since set-up is not
    // followed.
    FileHandle handle;
    std::string why;
    if (!openOutputFile(path_, started, false, handle, &why)) return;
    file_.reset(::fdopen(handle.get(), started ? "ab" : "wb"));
    if (!file_) return;
    static_cast<void>(handle.release());
    if (!started) started_.push_back(path_);
  }
  std::fwrite(bytes.data(), 1, bytes.size(), file_.get());
  std::fflush(file_.get());
}

void BatchLog::writeMessage(const char* kind, int code, const std::vector<std::string_view>& args) {
  writeRefusal();
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
  writeRefusal();
  // A reason carries names and bytes from the input: it must stay one line
  // that forges no message and sends nothing to a terminal.
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  const std::string line = printableLine(text, kMaxNoteBytes) + '\n';
  writeToFile(line);
  echo(line);
}

void BatchLog::echo(std::string_view line) {
  if (echo_ == nullptr) return;
  const std::string echoed = (program_.empty() ? std::string("comptab") : program_) + ": " + std::string(line);
  std::fwrite(echoed.data(), 1, echoed.size(), echo_);
}

}  // namespace comptab
