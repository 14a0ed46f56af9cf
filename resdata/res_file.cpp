#include "resdata/res_file.h"

namespace resfile {

namespace {

int Seek(FILE* f, int64_t offset, int whence) {
#if defined(_WIN32)
  return _fseeki64(f, offset, whence);
#else
  return fseeko(f, static_cast<off_t>(offset), whence);
#endif
}

int64_t Tell(FILE* f) {
#if defined(_WIN32)
  return _ftelli64(f);
#else
  return static_cast<int64_t>(ftello(f));
#endif
}

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

}  // namespace

Reader::Reader(const std::string& path) { file_ = fopen(path.c_str(), "rb"); }

Reader::~Reader() {
  if (file_) fclose(file_);
}

int64_t Reader::Size() {
  if (!file_ || Seek(file_, 0, SEEK_END) != 0) return -1;
  return Tell(file_);
}

bool Reader::ReadAt(int64_t offset, void* dst, size_t size) {
  if (!file_ || offset < 0 || Seek(file_, offset, SEEK_SET) != 0) return false;
  return size == 0 || fread(dst, 1, size, file_) == size;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  return true;
}

std::string Lower(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = LowerChar(c);
  return r;
}

}  // namespace resfile
