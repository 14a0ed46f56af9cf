#include "tests/support/folder_link.h"

#include <windows.h>

#include <vector>

#include "platform/text.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"

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

// The folder lists an entry of that name, whatever it points at (a link to a device
// may have no attributes to read).
bool IsListed(const std::string& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(text::Utf8ToWide(path).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

// Runs a Unix program on `path` and waits until `done` holds for it. Wine starts a Unix
// program without a process handle to wait on, so "started" says nothing about
// "finished"; the folder's change notifications tell when to look again.
bool RunUnixAndWait(const std::string& program, const std::vector<std::string>& args, const std::string& path,
                    bool (*done)(const std::string&)) {
  const std::string folder = path.substr(0, path.find_last_of('\\'));
  const ChildResult r = RunChild(program, args);
  // 20 s in all is far more than any busy machine takes.
  return r.started && WaitInFolder(folder, [&] { return done(path); }, 20000);
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
  return RunUnixAndWait("/bin/ln", {"-s", unix_target, unix_parent + "/" + link.substr(cut + 1)}, link, IsReparsePoint);
}

void RemoveFolderLink(const std::string& link) {
  if (!IsReparsePoint(link)) return;
  if (RemoveDirectoryW(text::Utf8ToWide(link).c_str()) || !RunningOnWine()) return;
  RemoveUnixLink(link);
}

bool MakeUnixLink(const std::string& link, const std::string& unix_target) {
  if (!RunningOnWine()) return false;
  size_t cut = link.find_last_of('\\');
  std::string unix_parent = UnixPath(link.substr(0, cut));
  if (unix_parent.empty()) return false;
  return RunUnixAndWait("/bin/ln", {"-s", unix_target, unix_parent + "/" + link.substr(cut + 1)}, link,
                        [](const std::string& path) { return IsListed(path); });
}

void RemoveUnixLink(const std::string& link) {
  const std::string unix_link = RunningOnWine() ? UnixPath(link) : std::string();
  if (unix_link.empty()) return;
  RunUnixAndWait("/bin/rm", {"-f", unix_link}, link, [](const std::string& path) { return !IsListed(path); });
}

}  // namespace testsupport
