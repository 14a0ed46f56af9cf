// The disc image format of the stand-in dtk: a flat archive of a disc's folder tree. The
// fixtures write it, the stand-in reads it. Real images are the real tool's business.
//
//   "KSTDISC1"                       8-byte magic
//   records, each:
//     kind     1 byte                 'D' folder, 'F' file, 'E' end of the archive
//     name     u32 length + bytes     UTF-8, '/'-separated, relative to the disc root
//     size     u64                    files only, then that many bytes
// Integers are little-endian.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace disc_archive {

constexpr char kMagic[8] = {'K', 'S', 'T', 'D', 'I', 'S', 'C', '1'};
constexpr char kFolder = 'D';
constexpr char kFile = 'F';
constexpr char kEnd = 'E';

inline bool PutInt(FILE* f, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i)
    if (fputc((int)((v >> (8 * i)) & 0xFF), f) == EOF) return false;
  return true;
}

inline bool GetInt(FILE* f, uint64_t* v, int bytes) {
  *v = 0;
  for (int i = 0; i < bytes; ++i) {
    int c = fgetc(f);
    if (c == EOF) return false;
    *v |= (uint64_t)(unsigned char)c << (8 * i);
  }
  return true;
}

// Writes a record's kind and name; a file's size and bytes follow.
inline bool PutHeader(FILE* f, char kind, const std::string& name) {
  return fputc(kind, f) != EOF && PutInt(f, name.size(), 4) &&
         fwrite(name.data(), 1, name.size(), f) == name.size();
}

inline bool GetHeader(FILE* f, char* kind, std::string* name) {
  int c = fgetc(f);
  if (c == EOF) return false;
  *kind = (char)c;
  if (*kind == kEnd) return true;
  uint64_t n = 0;
  if (!GetInt(f, &n, 4) || n > 4096) return false;
  name->assign((size_t)n, '\0');
  return fread(&(*name)[0], 1, (size_t)n, f) == n;
}

}  // namespace disc_archive
