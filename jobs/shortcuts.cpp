#include "jobs/shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/env.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/product.h"

namespace {

std::wstring KnownFolder(const KNOWNFOLDERID& id) {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) folder = path;
  CoTaskMemFree(path);
  return folder;
}

// The launcher's own executable, or "" when it can't be told whole: a cut path would
// make a shortcut to nothing.
std::wstring OwnExecutable() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::wstring();
  return std::wstring(buffer, n);
}

}  // namespace

std::wstring ShortcutPath(ShortcutKind kind) {
  std::string dir;
  // An empty value names no folder (it would put the shortcuts at the drive's root).
  if (env::Get("KESTRANE_SHORTCUT_DIR", &dir) && !dir.empty())
    return text::Utf8ToWide(dir) + (kind == kShortcutDesktop ? L"\\Kestrane (desktop).lnk" : L"\\Kestrane (start).lnk");
  const std::wstring folder = KnownFolder(kind == kShortcutDesktop ? FOLDERID_Desktop : FOLDERID_Programs);
  if (folder.empty()) return std::wstring();
  return folder + L"\\" + text::Utf8ToWide(product::kName) + L".lnk";
}

bool ShortcutExists(ShortcutKind kind) {
  const std::wstring path = ShortcutPath(kind);
  return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateShortcut(ShortcutKind kind) {
  const std::wstring path = ShortcutPath(kind);
  if (path.empty()) return false;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return false;

  bool saved = false;
  const std::wstring exe = OwnExecutable();
  if (!exe.empty()) {
    link->SetPath(exe.c_str());
    link->SetWorkingDirectory(text::Utf8ToWide(InstallLayout::ExeDir()).c_str());
    link->SetIconLocation(exe.c_str(), 0);
    link->SetDescription(L"Kestrane launcher");
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      saved = SUCCEEDED(file->Save(path.c_str(), TRUE));
      file->Release();
    }
  }
  link->Release();
  if (!saved) LogLine("[launcher] couldn't create the shortcut %s", text::WideToUtf8(path).c_str());
  return saved;
}
