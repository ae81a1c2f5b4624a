#include "platform/support/output_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/support/file_handle.h"
#include "platform/support/file_replacement.h"
#include "platform/support/path.h"

namespace comptab {

// A reader that goes away (a pipe into a pager that was quit) must show up
// as a failed write that the run reports, not end the process unseen.
void ignoreBrokenPipes() {
  static const bool ignored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
  (void)ignored;
}

namespace {

constexpr size_t kPendingLimit = size_t{64} << 10;

std::string systemText(int code) { return code != 0 ? std::generic_category().message(code) : std::string(); }

// The temporary file a table is being written to, for a signal that ends
// the run to remove: a handler may only read what is already in place.
char pendingTemp[PATH_MAX];
volatile std::sig_atomic_t pendingTempSet = 0;

extern "C" void removePendingTempAndEnd(int signal) {
  if (pendingTempSet != 0) ::unlink(pendingTemp);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Only signals whose default ends the process are taken over; one the
// caller ignores stays ignored.
void catchEndingSignals() {
  static const bool caught = [] {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction current {};
      if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(signal, removePendingTempAndEnd);
    }
    return true;
  }();
  (void)caught;
}

void watchTemp(const std::string& path) {
  if (path.size() >= sizeof pendingTemp) return;
  catchEndingSignals();
  pendingTempSet = 0;
  path.copy(pendingTemp, path.size());
  pendingTemp[path.size()] = '\0';
  pendingTempSet = 1;
}

// Only the file this stream watches: another stream's may be watched now.
void forgetTemp(const std::string& path) {
  if (pendingTempSet != 0 && path == pendingTemp) pendingTempSet = 0;
}

}  // namespace

OutputStream OutputStream::standardOutput() {
  ignoreBrokenPipes();
  OutputStream stream;
  stream.file_ = stdout;
  return stream;
}

OutputStream::OutputStream(OutputStream&& other) noexcept
    : replacement_(std::move(other.replacement_)),
      owned_(std::move(other.owned_)),
      file_(std::exchange(other.file_, nullptr)),
      failed_(std::exchange(other.failed_, false)),
      reason_(std::move(other.reason_)),
      block_(std::move(other.block_)),
      used_(std::exchange(other.used_, 0)),
      room_(std::exchange(other.room_, 0)) {}

OutputStream::~OutputStream() {
  drain();
  // Not committed: the temporary file goes with the replacement.
  if (replacement_) forgetTemp(replacement_->tempPath());
}

OutputStream& OutputStream::operator=(OutputStream&& other) noexcept {
  if (this != &other) {
    drain();
    block_ = std::move(other.block_);
    used_ = std::exchange(other.used_, 0);
    room_ = std::exchange(other.room_, 0);
    if (replacement_) forgetTemp(replacement_->tempPath());
    owned_.reset();
    replacement_ = std::move(other.replacement_);
    owned_ = std::move(other.owned_);
    file_ = std::exchange(other.file_, nullptr);
    failed_ = std::exchange(other.failed_, false);
    reason_ = std::move(other.reason_);
  }
  return *this;
}

bool OutputStream::open(const std::string& path, bool append, std::string* reason, bool followLinks) {
  if (isOpen()) close();
  used_ = 0;
  ignoreBrokenPipes();
  failed_ = false;
  reason_.clear();
  // Checked before the file is cut short: "-output board.sht" with force
  // would replace the design with its own table.
  if (isInputFile(path)) {
    reason_ = "this is a file the run reads (the design or one of its files); name another output file";
    if (reason != nullptr) *reason = reason_;
    return false;
  }
  if (!append && openReplacement(path, followLinks)) {
    file_ = owned_.get();
    settleRoom();
    return true;
  }
  // Through /dev/stdout a shell's ">>" must not be cut short.
  if (isDeviceOutput(path)) append = true;
  if (followLinks) {
    owned_.reset(std::fopen(path.c_str(), append ? "ab" : "wb"));
    if (!owned_) reason_ = systemText(errno);
  } else {
    FileHandle handle;
    if (openOutputFile(path, append, false, handle, &reason_)) {
      owned_.reset(::fdopen(handle.get(), append ? "ab" : "wb"));
      if (owned_)
        static_cast<void>(handle.release());
      else
        reason_ = systemText(errno);
    }
  }
  file_ = owned_.get();
  settleRoom();
  if (!isOpen() && reason != nullptr) *reason = reason_;
  return isOpen();
}

bool OutputStream::openReplacement(const std::string& path, bool followLinks) {
  // Anything but a regular file we may write, and a link that leads
  // nowhere, is opened as it is, so that it gives the reasons it always
  // gave; a device is written to, not replaced.
  if (isDeviceOutput(path)) return false;
  std::string target = path;
  struct stat info {};
  const bool exists = (followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) == 0;
  if (exists) {
    if (!S_ISREG(info.st_mode) || ::access(path.c_str(), W_OK) != 0) return false;
    // A link the user named is followed, as writing through it would.
    if (followLinks && isSymlink(path)) {
      const std::optional<std::string> real = realPath(path);
      if (!real) return false;
      target = *real;
    }
  } else if (errno != ENOENT || isSymlink(path)) {
    return false;
  }
  auto replacement = std::make_unique<FileReplacement>();
  if (!replacement->begin(target)) return false;
  // The new file keeps the permissions of the one it replaces.
  if (exists && ::chmod(replacement->tempPath().c_str(), info.st_mode & 07777) != 0) return false;
  FileHandle handle;
  std::string why;
  if (!openOutputFile(replacement->tempPath(), false, false, handle, &why)) return false;
  owned_.reset(::fdopen(handle.get(), "wb"));
  if (!owned_) return false;
  static_cast<void>(handle.release());
  replacement_ = std::move(replacement);
  watchTemp(replacement_->tempPath());
  return true;
}

void OutputStream::writeBeyondRoom(std::string_view text) {
  if (!file_) {
    fail();
    return;
  }
  if (text.size() >= kPendingLimit) {
    drain();
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) fail();
    return;
  }
  if (!block_) block_ = std::make_unique_for_overwrite<char[]>(2 * kPendingLimit);
  text.copy(block_.get() + used_, text.size());
  used_ += text.size();
  if (used_ >= kPendingLimit) drain();
  settleRoom();
}

void OutputStream::settleRoom() { room_ = file_ != nullptr && block_ ? kPendingLimit - used_ : 0; }

void OutputStream::fail() {
  if (!failed_ && reason_.empty()) reason_ = systemText(errno);
  failed_ = true;
}

void OutputStream::drain() {
  if (used_ == 0) return;
  if (!file_ || std::fwrite(block_.get(), 1, used_, file_) != used_) fail();
  used_ = 0;
  settleRoom();
}

void OutputStream::writeRepeated(char c, size_t count) {
  char block[64];
  std::memset(block, c, sizeof block);
  while (count > 0) {
    const size_t n = count < sizeof block ? count : sizeof block;
    write(std::string_view(block, n));
    count -= n;
  }
}

bool OutputStream::flush() {
  drain();
  if (!file_ || std::fflush(file_) != 0) fail();
  return ok();
}

bool OutputStream::close(std::string* reason) {
  drain();
  if (reason != nullptr) reason->clear();
  if (!file_) {
    if (!ok() && reason != nullptr) *reason = reason_;
    return ok();
  }
  // A write error can surface only when the buffer goes out, so flush and
  // ask the stream before closing.
  if (std::fflush(file_) != 0 || std::ferror(file_)) fail();
  if (owned_ && std::fclose(owned_.release()) != 0) fail();
  file_ = nullptr;
  if (replacement_) {
    const std::string temp = replacement_->tempPath();  // the commit forgets it
    std::string why;
    if (ok() && !replacement_->commit(&why, false)) {
      failed_ = true;
      reason_ = why;
    }
    forgetTemp(temp);
    replacement_.reset();
  }
  settleRoom();
  if (!ok() && reason != nullptr) *reason = reason_;
  return ok();
}

}  // namespace comptab
