#include "tests/support/window_of.h"

#include <cwchar>

namespace testsupport {

HWND LauncherWindowOf(DWORD process_id) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{process_id, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (pid == s->pid && wcscmp(name, L"KestraneLauncher") == 0 && IsWindowVisible(hwnd)) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace testsupport
