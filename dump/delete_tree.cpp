#include "dump/delete_tree.h"

#include <windows.h>

#include <cstring>

namespace {

void RemoveEntry(const std::string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    RemoveDirectoryA(path.c_str());  // for a junction or folder link: the link only
  else
    DeleteFileA(path.c_str());
}

void DeleteContents(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0) continue;
    const std::string path = folder + "\\" + fd.cFileName;
    const bool descend =
        (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (descend) DeleteContents(path);
    RemoveEntry(path, fd.dwFileAttributes);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

}  // namespace

void DeleteTree(const std::string& folder) {
  const DWORD a = GetFileAttributesA(folder.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return;
  if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteContents(folder);
  RemoveEntry(folder, a);
}
