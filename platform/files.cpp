#include "platform/files.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

namespace files {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFile(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

FILE* OpenToRead(const std::string& path, const char* mode) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  const bool text = strchr(mode, 'b') == nullptr;
  int fd = _open_osfhandle((intptr_t)h, _O_RDONLY | (text ? _O_TEXT : _O_BINARY));
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  FILE* f = _fdopen(fd, text ? "r" : "rb");
  if (!f) _close(fd);  // closes the handle too
  return f;
}

bool ReadAll(const std::string& path, std::string* bytes) {
  FILE* f = OpenToRead(path, "rb");
  if (!f) return false;
  bytes->clear();
  char buf[16384];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes->append(buf, n);
  fclose(f);
  return true;
}

namespace {

// Folders open only with backup semantics; no access is asked for, so nothing is locked.
bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, info) != FALSE;
  CloseHandle(h);
  return ok;
}

}  // namespace

bool SameEntry(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION x, y;
  if (!Identify(a, &x) || !Identify(b, &y)) return false;
  return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

bool IsPlainFolder(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::vector<FolderEntry> ListFolder(const std::string& folder, const char* pattern) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\" + pattern).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return entries;
  do {
    if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0) continue;
    FolderEntry e;
    e.name = fd.cFileName;
    e.folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.link = (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    e.size = ((int64_t)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
    entries.push_back(std::move(e));
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return entries;
}

}  // namespace files
