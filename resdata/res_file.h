// Reading ranges of a file through the C library, with 64-bit offsets on every platform.
// Standard library only, so the readers build natively for fuzzing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace resfile {

// Owns a FILE* opened "rb"; closes it when it goes.
class Reader {
 public:
  explicit Reader(const std::string& path);
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  bool ok() const { return file_ != nullptr; }
  // The file's size in bytes, or -1.
  int64_t Size();
  // Reads exactly `size` bytes at `offset`; false when the file ends first.
  bool ReadAt(int64_t offset, void* dst, size_t size);

 private:
  FILE* file_ = nullptr;
};

// ASCII-only case folding, as the game's own name look-ups do.
bool EqualsNoCase(const std::string& a, const std::string& b);
std::string Lower(const std::string& s);

}  // namespace resfile
