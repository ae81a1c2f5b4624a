#include "platform/support/loaded_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

#include "platform/support/file_handle.h"

namespace comptab {

namespace {
size_t pageSize() {
  static const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  return page;
}
}  // namespace

LoadedFile::~LoadedFile() {
  if (base_ != nullptr) ::munmap(base_, mapped_);
}

void LoadedFile::forgetBefore(size_t offset) {
  if (base_ == nullptr) return;
  const size_t whole = (offset < size_ ? offset : size_) / pageSize() * pageSize();
  if (whole > 0) ::madvise(base_, whole, MADV_DONTNEED);
}

bool loadFile(const FileHandle& file, size_t size, size_t padding, LoadedFile& loaded) {
  if (size == 0 || !file.isOpen()) return false;
  // Anonymous pages read as zeros, which gives the padding for free, and
  // MADV_DONTNEED hands them back at once.
  const size_t mapped = size + padding;
  void* base = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return false;
  char* bytes = static_cast<char*>(base);
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(file.get(), bytes + done, size - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ::munmap(base, mapped);
      return false;
    }
    done += static_cast<size_t>(got);
  }
  if (loaded.base_ != nullptr) ::munmap(loaded.base_, loaded.mapped_);
  loaded.base_ = base;
  loaded.size_ = size;
  loaded.mapped_ = mapped;
  return true;
}

}  // namespace comptab
