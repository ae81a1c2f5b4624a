// The batch error file: numbered errors and warnings, one line each, plus
// free text. The file is <directory>/<program>.err; it is created (and an
// old one truncated) by the first message of the run, so a quiet run leaves
// no file. Errors and warnings are echoed to standard error as well, so a
// person at a terminal sees what went wrong; free text goes to the file only.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/support/message_catalog.h"

namespace comptab {

class BatchLog {
 public:
  BatchLog();
  virtual ~BatchLog();
  BatchLog(const BatchLog&) = delete;
  BatchLog& operator=(const BatchLog&) = delete;

  // "VARIABLE/name": the catalogue is name.msg in the language directory
  // below $VARIABLE/system (falling back to "eng"). Read at the first message.
  void setMessageSource(std::string_view source);
  void setDirectory(std::string directory);
  // Creates the directory when it is missing and names the file after the
  // program. Returns 0 when the directory cannot be made or written to, or
  // when the folder is a symlink that leads out of its parent or the file is
  // a symlink or not a regular file (the first message then says why); the
  // file then stays unnamed and messages reach standard error only.
  int setProgram(std::string_view name);

  void writeError(int code, const std::vector<std::string_view>& args = {});
  void writeWarning(int code, const std::vector<std::string_view>& args = {});
  void writeText(std::string_view text);
  // Free text that a person at the terminal needs too (why a file did not
  // parse): written to the file and echoed, as one line: control
  // characters and invalid bytes are escaped, and the text is cut after
  // 4 096 bytes.
  void writeNote(std::string_view text);

  // Counts over the whole run, across every set-up of the file.
  bool warningWritten() const { return warnings_ > 0; }

  // The file messages go to; empty while none is named.
  const std::string& logPath() const { return path_; }
  // Where errors and warnings are echoed; null turns the echo off.
  void setEcho(FILE* stream) { echo_ = stream; }

 private:
  void writeMessage(const char* kind, int code, const std::vector<std::string_view>& args);
  void writeToFile(std::string_view bytes);
  void echo(std::string_view line);
  void loadCatalog();
  // Keeps the reason why `path` is not used, for the first message; 0.
  int refuse(const std::string& path, const std::string& why);
  void writeRefusal();

  struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
  };

  std::string source_;
  std::string program_;
  std::string directory_;
  std::string path_;
  std::unique_ptr<FILE, FileCloser> file_;
  std::vector<std::string> started_;  // files this run has already truncated
  MessageCatalog catalog_;
  std::string refusal_;  // why the design's error file was passed over
  bool catalogLoaded_ = false;
  long warnings_ = 0;
  FILE* echo_ = stderr;
};

}  // namespace comptab
