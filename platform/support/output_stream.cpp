#include "platform/support/output_stream.h"

#include <csignal>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/support/file_handle.h"

namespace comptab {

namespace {

// A reader that goes away (a pipe into a pager that was quit) must show up
// as a failed write that the run reports, not end the process unseen.
void ignoreBrokenPipes() {
  static const bool ignored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
  (void)ignored;
}

constexpr size_t kPendingLimit = size_t{64} << 10;

std::string systemText(int code) { return code != 0 ? std::generic_category().message(code) : std::string(); }

}  // namespace

OutputStream OutputStream::standardOutput() {
  ignoreBrokenPipes();
  OutputStream stream;
  stream.file_ = stdout;
  return stream;
}

OutputStream::OutputStream(OutputStream&& other) noexcept
    : owned_(std::move(other.owned_)),
      file_(std::exchange(other.file_, nullptr)),
      failed_(std::exchange(other.failed_, false)),
      reason_(std::move(other.reason_)),
      block_(std::move(other.block_)),
      used_(std::exchange(other.used_, 0)),
      room_(std::exchange(other.room_, 0)) {}

OutputStream::~OutputStream() { drain(); }

OutputStream& OutputStream::operator=(OutputStream&& other) noexcept {
  if (this != &other) {
    drain();
    block_ = std::move(other.block_);
    used_ = std::exchange(other.used_, 0);
    room_ = std::exchange(other.room_, 0);
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
  settleRoom();
  if (!ok() && reason != nullptr) *reason = reason_;
  return ok();
}

}  // namespace comptab
