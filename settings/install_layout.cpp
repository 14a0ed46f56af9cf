#include "settings/install_layout.h"

#include <windows.h>

#include <cwchar>

#include "platform/env.h"
#include "platform/files.h"
#include "settings/settings_store.h"

namespace InstallLayout {

std::string ExeDir() {
  char buf[260];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n >= sizeof buf) n = sizeof buf - 1;  // truncated: cut the truncated text
  std::string path(buf, n);
  size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return std::string();
  return path.substr(0, cut + 1);
}

std::string FullPath(const std::string& path) {
  char buf[1040];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof buf, buf, nullptr);
  std::string out = (n == 0 || n >= sizeof buf) ? path : std::string(buf, n);
  while (out.size() > 3 && (out.back() == '\\' || out.back() == '/')) out.pop_back();
  return out;
}

std::string Join(const std::string& folder, const std::string& name) {
  const bool ends_with_separator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  return folder + (ends_with_separator ? "" : "\\") + name;
}

std::string CheckoutRoot() {
  std::string root = FullPath(ExeDir() + "..");
  if (!files::IsFile(root + "\\tools\\gametrial\\link.py")) return std::string();
  return root;
}

std::string LocalDir() {
  std::string base;
  if (!env::Get("LOCALAPPDATA", &base)) base = ".";
  std::string dir = base + "\\Kestrane";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::string DumpIniPath() { return LocalDir() + "/dump.ini"; }

std::string DataDir() {
  std::string setting = SettingsStore::Get("launcher.data_dir");
  if (setting.empty()) setting = SettingsStore::DefaultOf("launcher.data_dir");

  char buf[520];
  DWORD n = ExpandEnvironmentStringsA(setting.c_str(), buf, sizeof buf);
  if (n == 0 || n > sizeof buf) return LocalDir();
  std::string path(buf);
  if (path.find('%') != std::string::npos) return LocalDir();  // an undefined variable stayed
  while (path.size() >= 4 && (path.back() == '\\' || path.back() == '/')) path.pop_back();

  for (size_t i = 3; i < path.size(); ++i)
    if (path[i] == '\\' || path[i] == '/') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
  if (!files::IsFolder(path)) return LocalDir();
  return path;
}

std::string DiscDir() { return Join(DataDir(), "disc"); }

std::wstring FormatSize(int64_t bytes) {
  wchar_t buf[32];
  const int64_t kMB = 1LL << 20, kGB = 1LL << 30;
  if (bytes >= kGB)
    swprintf(buf, 32, L"%.2f GB", (double)bytes / (double)kGB);
  else if (bytes < kMB)
    swprintf(buf, 32, L"%lld KB", (long long)(bytes / 1024));
  else
    swprintf(buf, 32, L"%.0f MB", (double)bytes / (double)kMB);
  return buf;
}

std::string Shorten(const std::string& s) {
  if (s.size() <= 7) return s;
  return s.substr(0, 4) + "\xE2\x80\xA6" + s.substr(s.size() - 4);
}

int64_t FreeSpace(const std::string& path) {
  ULARGE_INTEGER avail;
  if (!GetDiskFreeSpaceExA(path.c_str(), &avail, nullptr, nullptr)) return -1;
  return (int64_t)avail.QuadPart;
}

std::string FileDate(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::string();
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st))
    return std::string();
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char buf[64];
  snprintf(buf, sizeof buf, "%d %s %d, %02d:%02d", st.wDay, kMonths[(st.wMonth + 11) % 12], st.wYear, st.wHour,
           st.wMinute);
  return buf;
}

}  // namespace InstallLayout

static int64_t FolderSizeAt(const std::string& folder, int level, const std::atomic<bool>* stop) {
  if (level > 12 || (stop && *stop)) return 0;
  int64_t total = 0;
  for (const files::FolderEntry& e : files::ListFolder(folder)) {
    if (e.link) continue;
    total += e.folder ? FolderSizeAt(folder + "\\" + e.name, level + 1, stop) : e.size;
  }
  return total;
}

int64_t FolderSize(const std::string& folder) { return FolderSizeAt(folder, 0, nullptr); }

int64_t FolderSize(const std::string& folder, const std::atomic<bool>* stop) { return FolderSizeAt(folder, 0, stop); }
