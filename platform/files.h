// Small questions about paths, asked through the narrow (UTF-8) Windows file functions.
#pragma once

#include <cstdint>
#include <string>

namespace files {

bool Exists(const std::string& path);        // file or folder
bool IsFile(const std::string& path);        // exists and is not a folder
bool IsFolder(const std::string& path);
// Size in bytes, or -1 when it cannot be read.
int64_t FileSize(const std::string& path);
// Reads a whole file in binary; false when it cannot be opened.
bool ReadAll(const std::string& path, std::string* bytes);

}  // namespace files
