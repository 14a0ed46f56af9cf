#include "tests/support/folder_link.h"

#include <windows.h>

#include "platform/text.h"
#include "tests/support/child_run.h"

namespace testsupport {

namespace {

// Wine's own export: the Unix path behind a Windows path.
std::string UnixPath(const std::string& path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  Fn fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!fn) return std::string();
  char* unix_path = fn(text::Utf8ToWide(path).c_str());
  if (!unix_path) return std::string();
  std::string out = unix_path;
  HeapFree(GetProcessHeap(), 0, unix_path);
  return out;
}

bool IsReparsePoint(const std::string& path) {
  DWORD a = GetFileAttributesW(text::Utf8ToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

bool RunningOnWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

bool MakeFolderLink(const std::string& link, const std::string& target) {
  if (!RunningOnWine()) {
    CreateSymbolicLinkW(text::Utf8ToWide(link).c_str(), text::Utf8ToWide(target).c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    return IsReparsePoint(link);
  }
  std::string unix_target = UnixPath(target);
  size_t cut = link.find_last_of('\\');
  std::string unix_parent = UnixPath(link.substr(0, cut));
  if (unix_target.empty() || unix_parent.empty()) return false;
  // Wine starts Unix programs given by a Unix path.
  ChildResult r = RunChild("/bin/ln", {"-s", unix_target, unix_parent + "/" + link.substr(cut + 1)});
  return r.started && r.exit_code == 0 && IsReparsePoint(link);
}

void RemoveFolderLink(const std::string& link) {
  if (!IsReparsePoint(link)) return;
  if (RemoveDirectoryW(text::Utf8ToWide(link).c_str())) return;
  RemoveUnixLink(link);
}

bool MakeUnixLink(const std::string& link, const std::string& unix_target) {
  if (!RunningOnWine()) return false;
  size_t cut = link.find_last_of('\\');
  std::string unix_parent = UnixPath(link.substr(0, cut));
  if (unix_parent.empty()) return false;
  ChildResult r = RunChild("/bin/ln", {"-s", unix_target, unix_parent + "/" + link.substr(cut + 1)});
  return r.started && r.exit_code == 0;
}

void RemoveUnixLink(const std::string& link) {
  const std::string unix_link = RunningOnWine() ? UnixPath(link) : std::string();
  if (!unix_link.empty()) RunChild("/bin/rm", {"-f", unix_link});
}

}  // namespace testsupport
