// Small questions about paths, asked through the narrow (UTF-8) Windows file functions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace files {

bool Exists(const std::string& path);        // file or folder
bool IsFile(const std::string& path);        // exists and is not a folder
bool IsFolder(const std::string& path);
// Size in bytes, or -1 when it cannot be read.
int64_t FileSize(const std::string& path);
// Opens a file for reading ("r" or "rb") the way fopen does, but sharing it for writing
// and deletion too: a reader never stops another program from replacing the file. nullptr
// when it cannot be opened.
FILE* OpenToRead(const std::string& path, const char* mode);
// Reads a whole file in binary through OpenToRead; false when it cannot be opened.
bool ReadAll(const std::string& path, std::string* bytes);
// True when both paths name one existing file or folder, however each is spelled (letter
// case, slashes, short 8.3 names, links).
bool SameEntry(const std::string& a, const std::string& b);
// A folder that is not a junction or symbolic link: safe to walk into or empty.
bool IsPlainFolder(const std::string& path);

struct FolderEntry {
  std::string name;
  bool folder = false;
  bool link = false;  // a reparse point (junction or symbolic link): never walk into it
  int64_t size = 0;
};
// The entries of `folder` whose names match `pattern`, in the file system's order,
// without "." and "..". Empty when the folder can't be listed.
std::vector<FolderEntry> ListFolder(const std::string& folder, const char* pattern = "*");

}  // namespace files
