#include "platform/support/path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

namespace comptab {

bool pathAccess(const std::string& path, Access mode) {
  if (path.empty()) return false;
  int how = F_OK;
  if (mode == Access::Writable) how = W_OK;
  if (mode == Access::Readable) how = R_OK;
  return ::access(path.c_str(), how) == 0;
}

PathKind pathKind(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return PathKind::Missing;
  return S_ISDIR(info.st_mode) ? PathKind::Directory : PathKind::File;
}

bool readableFile(const std::string& path) {
  // A FIFO or a device may let us open it but gives no file to read.
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         pathAccess(path, Access::Readable);
}

std::string joinPath(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  if (name.empty()) return std::string(dir);
  std::string out(dir);
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  while (!name.empty() && name.front() == '/') name.remove_prefix(1);
  if (out.back() != '/') out += '/';
  out += name;
  return out;
}

std::string directoryPart(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string baseName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string pathSuffix(std::string_view path) {
  const std::string base = baseName(path);
  const size_t dot = base.rfind('.');
  if (dot == std::string::npos || dot == 0) return "";
  return base.substr(dot);
}

std::string packPath(std::string_view path) {
  if (path.empty()) return "";
  std::string out = std::filesystem::path(path).lexically_normal().generic_string();
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out.empty() ? "." : out;
}

std::string expandPath(std::string_view path) {
  if (path.empty() || path.front() == '/') return packPath(path);
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (ec) return packPath(path);
  return packPath((cwd / std::filesystem::path(path)).generic_string());
}

std::optional<std::string> realPath(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get());
}

bool staysInside(const std::string& path, const std::string& folder) {
  const auto realFolder = realPath(folder);
  const auto real = realPath(path);
  if (!realFolder || !real) return false;
  if (*real == *realFolder) return true;
  const std::string prefix = *realFolder == "/" ? "/" : *realFolder + "/";
  return real->starts_with(prefix);
}

std::optional<FileStamp> fileStamp(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileStamp{static_cast<int64_t>(info.st_size),
                   static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool isSymlink(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool makeDirectories(const std::string& path, std::string* reason) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (std::filesystem::is_directory(path, ec)) return true;
  if (reason) *reason = ec ? ec.message() : "not a folder";
  return false;
}

}  // namespace comptab
