// Every location the launcher derives at run time, and the shared texts for sizes,
// shortened digests and file dates. Nothing is cached: each call computes afresh, so a
// change of launcher.data_dir takes effect at the next call.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace InstallLayout {

// The launcher executable's folder, ending with its separator; empty if there is none.
std::string ExeDir();
// The port's source tree the launcher was built in (holds tools\gametrial\link.py), or empty.
std::string CheckoutRoot();
// Absolute path without trailing separators (a drive root keeps its backslash).
std::string FullPath(const std::string& path);
// folder + "\" + name, with one separator also where the folder is a drive's root (D:\).
std::string Join(const std::string& folder, const std::string& name);
// %LOCALAPPDATA%\Kestrane (.\Kestrane without LOCALAPPDATA), created at every call.
std::string LocalDir();
std::string DumpIniPath();
// The game data folder from launcher.data_dir, created; the local folder when unusable.
std::string DataDir();
std::string DiscDir();

std::wstring FormatSize(int64_t bytes);
// "7c2f0b9e…a5c2": first 4 bytes, an ellipsis, last 4 bytes; texts up to 7 bytes unchanged.
std::string Shorten(const std::string& text);
// Bytes free for this user on the path's volume, or -1.
int64_t FreeSpace(const std::string& path);
// The last-write time as "8 Dec 2026, 10:29", or empty.
std::string FileDate(const std::string& path);

}  // namespace InstallLayout

// Total size of the files beneath a folder, at most 12 levels down, never behind a
// junction or symbolic link; a folder that cannot be listed counts as 0.
int64_t FolderSize(const std::string& folder);
// The same, giving up (with what it has counted) once *stop is set.
int64_t FolderSize(const std::string& folder, const std::atomic<bool>* stop);
