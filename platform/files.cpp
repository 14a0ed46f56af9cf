#include "platform/files.h"

#include <windows.h>

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

bool ReadAll(const std::string& path, std::string* bytes) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  char buf[16384];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes->append(buf, n);
  fclose(f);
  return true;
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
