#pragma once

#include <cstddef>
#include <string_view>

// A regular file mapped read-only into memory: opening costs only the pages
// that are read later. Bytes are read through Bytes(), whose size is the
// file's size when it was mapped. Another process shortening the file while
// it is mapped makes reads past its new end fault; the engine's own files
// are not rewritten while it runs.
class mapped_file {
 public:
  enum class outcome { mapped, not_found, unreadable };

  mapped_file() = default;
  ~mapped_file() { Unmap(); }
  mapped_file(const mapped_file&) = delete;
  mapped_file& operator=(const mapped_file&) = delete;

  // Maps the file at path, unmapping what was mapped before. An empty file
  // maps as no bytes.
  outcome Map(const char* path);
  void Unmap();

  std::string_view Bytes() const { return std::string_view(static_cast<const char*>(address_), size_); }

 private:
  void* address_ = nullptr;
  size_t size_ = 0;
};
