// Replacing a file so that a reader finds either no file (or the old one)
// or the whole new one, never a part: the new contents are written to a
// temporary file beside the target, synced, and renamed over the target.
// A crash or a kill before the rename leaves the target as it was.
#pragma once

#include <string>

namespace comptab {

class FileReplacement {
 public:
  FileReplacement() = default;
  // Removes the temporary file unless it was committed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Creates an empty temporary file <target>.tmp.<process>.<n> in the
  // target's directory, with the permissions a new file gets there.
  // A failure puts one line, naming the file it concerns, in `reason`
  // (nullable); so does commit's.
  bool begin(const std::string& target, std::string* reason = nullptr);
  const std::string& tempPath() const { return temp_; }
  // Syncs the temporary file to disk, renames it to the target and syncs
  // the directory, so the new name survives a power cut; without `durable`
  // only renames, which is enough against a kill or a signal.
  bool commit(std::string* reason = nullptr, bool durable = true);

  // Removes the temporary files of `target` that runs killed before their
  // rename left behind: those whose process no longer exists. Only for a
  // caller that keeps every other writer of the target out (a lock).
  static void removeLeftovers(const std::string& target);

 private:
  std::string target_;
  std::string temp_;
};

}  // namespace comptab
