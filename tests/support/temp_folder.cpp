#include "tests/support/temp_folder.h"

#include "tests/support/folder_link.h"

#include <windows.h>

#include "platform/text.h"

#include <atomic>
#include <cstdio>

namespace testsupport {

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  wchar_t base[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, base);
  std::wstring dir(base, n);
  for (;;) {
    wchar_t name[64];
    swprintf(name, 64, L"kt_%lu_%u_%lu", GetCurrentProcessId(), counter++, GetTickCount());
    std::wstring candidate = dir + name;
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = text::WideToUtf8(candidate);
      break;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create a temporary folder in " << text::WideToUtf8(dir);
      break;
    }
  }
}

TempFolder::~TempFolder() {
  if (!path_.empty()) RemoveTree(path_);
}

std::string TempFolder::Path(const std::string& relative) const {
  std::string r = relative;
  for (char& c : r)
    if (c == '/') c = '\\';
  return r.empty() ? path_ : path_ + "\\" + r;
}

bool MakeFolders(const std::string& path) {
  std::wstring w = text::Utf8ToWide(path);
  for (size_t i = 3; i < w.size(); ++i)
    if (w[i] == L'\\' || w[i] == L'/') CreateDirectoryW(w.substr(0, i).c_str(), nullptr);
  CreateDirectoryW(w.c_str(), nullptr);
  DWORD a = GetFileAttributesW(w.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  size_t cut = path.find_last_of("\\/");
  if (cut != std::string::npos) MakeFolders(path.substr(0, cut));
  FILE* f = _wfopen(text::Utf8ToWide(path).c_str(), L"wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

std::string ReadFile(const std::string& path) {
  FILE* f = _wfopen(text::Utf8ToWide(path).c_str(), L"rb");
  if (!f) return std::string();
  std::string out;
  char buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  fclose(f);
  return out;
}

bool PathExists(const std::string& path) { return GetFileAttributesW(text::Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

static void RemoveTreeW(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = dir + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTreeW(full);
      else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveFolderLink(text::WideToUtf8(full));
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

void RemoveTree(const std::string& path) { RemoveTreeW(text::Utf8ToWide(path)); }

std::string BinDir() {
  wchar_t buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring p(buf, n);
  size_t cut = p.find_last_of(L"\\/");
  return text::WideToUtf8(cut == std::wstring::npos ? std::wstring() : p.substr(0, cut + 1));
}

std::string KestraneExe() { return BinDir() + "Kestrane.exe"; }

bool WaitInFolder(const std::string& folder, const std::function<bool()>& done, unsigned limit_ms) {
  HANDLE change = FindFirstChangeNotificationW(
      text::Utf8ToWide(folder).c_str(), FALSE,
      FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
  bool ok = done();
  for (const ULONGLONG until = GetTickCount64() + limit_ms; !ok && GetTickCount64() < until;) {
    if (change == INVALID_HANDLE_VALUE)
      Sleep(200);  // a folder that can't be watched (not there yet) is looked at as often
    else if (WaitForSingleObject(change, 200) == WAIT_OBJECT_0)
      FindNextChangeNotification(change);
    ok = done();
  }
  if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
  return ok;
}

}  // namespace testsupport
