// The graphical launcher. One window per local folder: two would share settings.ini,
// runs.tsv and the data folder, each working from its own view of them, so a second start
// brings the first window to the front and ends. The console modes may run beside it.
#include <windows.h>

#include "app/modes/modes.h"
#include "launcher/launcher_window.h"
#include "platform/named_lock.h"
#include "settings/install_layout.h"

namespace {

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchLauncherWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t name[64] = L"";
  if (pid != search->pid || !GetClassNameW(hwnd, name, 64) || lstrcmpW(name, kLauncherWindowClass) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// Shows the window of process `pid` in front, restored and visible (also when it hid
// itself for a game). A window still being made shows itself in front anyway.
void BringForward(DWORD pid) {
  const HWND window = FindLauncherWindowOf(pid);
  if (!window) return;
  if (IsIconic(window))
    ShowWindow(window, SW_RESTORE);
  else if (!IsWindowVisible(window))
    ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
}

}  // namespace

HWND FindLauncherWindowOf(DWORD pid) {
  WindowSearch search = {pid, nullptr};
  if (pid != 0) EnumWindows(MatchLauncherWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int RunLauncherWindow() {
  // Held until this process ends: it tells later starts which process has the window.
  const std::wstring name =
      named_lock::NameFor("KestraneWindow", InstallLayout::FullPath(InstallLayout::LocalDir()));
  HANDLE claim = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD), name.c_str());
  const bool first = claim && GetLastError() != ERROR_ALREADY_EXISTS;
  auto* owner = claim ? static_cast<volatile DWORD*>(MapViewOfFile(claim, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DWORD)))
                      : nullptr;
  if (claim && !first) {
    BringForward(owner ? *owner : 0);
    if (owner) UnmapViewOfFile(const_cast<DWORD*>(owner));
    CloseHandle(claim);
    return 0;
  }
  if (owner) *owner = GetCurrentProcessId();
  const int result = RunGui();
  if (owner) UnmapViewOfFile(const_cast<DWORD*>(owner));
  if (claim) CloseHandle(claim);
  return result;
}
