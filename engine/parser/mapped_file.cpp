#include "mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor when it goes; the mapping outlives it.
struct file_descriptor {
  int fd;
  ~file_descriptor() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

mapped_file::outcome mapped_file::Map(const char* path) {
  Unmap();
  file_descriptor file{open(path, O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return outcome::not_found;
  struct stat status;
  if (fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) return outcome::unreadable;
  if (status.st_size == 0) return outcome::mapped;
  void* address = mmap(nullptr, static_cast<size_t>(status.st_size), PROT_READ, MAP_PRIVATE, file.fd, 0);
  if (address == MAP_FAILED) return outcome::unreadable;
  address_ = address;
  size_ = static_cast<size_t>(status.st_size);
  return outcome::mapped;
}

void mapped_file::Unmap() {
  if (address_) munmap(address_, size_);
  address_ = nullptr;
  size_ = 0;
}
