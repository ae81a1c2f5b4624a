// Where a table goes: a file opened in binary mode, or standard output.
// A failed write must not pass for success (a full disk, a closed pipe), so
// the stream remembers every failure of a write, flush or close, and the
// caller asks once at the end.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/support/file_replacement.h"

namespace comptab {

// From here on a write to a pipe nobody reads fails with EPIPE instead of
// ending the process: standard error closed under us must not cost the
// error file or the table.
void ignoreBrokenPipes();

class OutputStream {
 public:
  // A stream that is not open; writes to it fail.
  OutputStream() = default;
  static OutputStream standardOutput();
  OutputStream(OutputStream&& other) noexcept;
  OutputStream& operator=(OutputStream&& other) noexcept;
  // Writes what is pending and closes a file it opened; call close() first
  // to learn whether that failed.
  ~OutputStream();

  // Opens `path` in binary mode, truncating it, or appending when `append`.
  // False when it cannot be opened, when it is a file the run has read (the
  // design, a side file), or, unless `followLinks`, when it is a symlink or
  // not a regular file; then `reason`, when given, says why. A file already
  // open is closed first, and the record of failures starts afresh.
  // Without `append`, a regular file (new or one we may write) is written
  // as a temporary file beside it that close() renames over it once all
  // went well: a kill or a failed write leaves the old file whole, and
  // SIGINT, SIGTERM and SIGHUP remove the temporary file on their way. A
  // device (/dev/null, /dev/stdout) is written to directly.
  bool open(const std::string& path, bool append, std::string* reason = nullptr, bool followLinks = true);
  bool isOpen() const { return file_ != nullptr; }

  void write(std::string_view text) {
    // A table is written a cell and a separator at a time: nearly every
    // write fits the block and costs a copy.
    if (text.size() < room_) {
      text.copy(block_.get() + used_, text.size());
      used_ += text.size();
      room_ -= text.size();
      return;
    }
    writeBeyondRoom(text);
  }
  // `count` copies of `c`, written in blocks.
  void writeRepeated(char c, size_t count);

  bool flush();
  // Closes a file this stream opened, or flushes standard output, which
  // stays open, and puts a replacement in place. True when nothing written
  // through the stream has failed; else `reason`, when given, holds what
  // the system said of the first failure (empty when it said nothing).
  bool close(std::string* reason = nullptr);
  bool ok() const { return !failed_; }

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  // What write() does when the text does not fit the room left: fails on a
  // stream that is not open, sets the block up, or hands it to the file.
  void writeBeyondRoom(std::string_view text);
  // Hands the pending text to the file.
  void drain();
  // What write() may copy without looking further: nothing while there is
  // no file or no block yet.
  void settleRoom();
  // Records a failure and, the first time, errno's reason.
  void fail();
  // Sets owned_ to a temporary file that replaces `path`; false when the
  // path is no regular file we may write or no temporary file can be made
  // beside it, and the file is then opened as it is.
  bool openReplacement(const std::string& path, bool followLinks);

  std::unique_ptr<FileReplacement> replacement_;
  std::unique_ptr<std::FILE, FileCloser> owned_;
  std::FILE* file_ = nullptr;  // owned_ or standard output
  bool failed_ = false;
  std::string reason_;
  // A table is written a cell at a time; gathering the pieces here costs
  // less than handing each to the C library. The block holds twice the
  // amount gathered before it is handed on, so that a text shorter than
  // that amount always fits after what is pending.
  std::unique_ptr<char[]> block_;
  size_t used_ = 0;
  size_t room_ = 0;
};

}  // namespace comptab
