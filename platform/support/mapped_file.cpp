#include "platform/support/mapped_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include "platform/support/file_handle.h"

namespace comptab {

MappedFile::~MappedFile() {
  if (base_ != nullptr) ::munmap(base_, size_);
}

void MappedFile::forgetBefore(size_t offset) {
  if (base_ == nullptr) return;
  static const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t whole = offset < size_ ? offset / page * page : size_ / page * page;
  if (whole > 0) ::madvise(base_, whole, MADV_DONTNEED);
}

bool mapFile(const FileHandle& file, size_t size, MappedFile& mapped) {
  if (size == 0 || !file.isOpen()) return false;
  void* base = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.get(), 0);
  if (base == MAP_FAILED) return false;
  ::madvise(base, size, MADV_SEQUENTIAL);
  if (mapped.base_ != nullptr) ::munmap(mapped.base_, mapped.size_);
  mapped.base_ = base;
  mapped.size_ = size;
  return true;
}

}  // namespace comptab
