#include "tests/launcher/window_harness.h"

#include "launcher/launcher_window.h"

namespace launchertest {
namespace {

constexpr UINT kCallMessage = WM_APP + 77;
WNDPROC g_launcher_proc = nullptr;

LRESULT CALLBACK HarnessProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kCallMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lparam))();
    return 0;
  }
  return CallWindowProcW(g_launcher_proc, hwnd, message, wparam, lparam);
}


DWORD WINAPI GuiThread(LPVOID param) {
  int* result = static_cast<int*>(param);
  *result = RunGui();
  return 0;
}

BOOL CALLBACK TakeFirst(HWND hwnd, LPARAM out) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (wcscmp(name, L"KestraneLauncher") != 0) return TRUE;
  *reinterpret_cast<HWND*>(out) = hwnd;
  return FALSE;
}

}  // namespace

bool Poll(const std::function<bool()>& done, DWORD limit_ms) {
  const ULONGLONG until = GetTickCount64() + limit_ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= until) return false;
    Sleep(10);
  }
}

WindowHarness::~WindowHarness() {
  if (Running()) Close();
  if (thread_) CloseHandle(thread_);
}

bool WindowHarness::Start(DWORD limit_ms) {
  thread_ = CreateThread(nullptr, 0, GuiThread, &result_, 0, &thread_id_);
  if (!thread_) return false;
  const bool found = Poll(
      [&] {
        EnumThreadWindows(thread_id_, TakeFirst, reinterpret_cast<LPARAM>(&hwnd_));
        return hwnd_ != nullptr || !Running();
      },
      limit_ms);
  if (!found || !hwnd_) return false;
  WNDPROC old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HarnessProc)));
  if (old != &HarnessProc) g_launcher_proc = old;
  return WaitFor([] { return LauncherWindowTesting::Counts().full > 0; }, limit_ms);
}

void WindowHarness::OnGui(const std::function<void()>& fn) {
  if (hwnd_) SendMessageW(hwnd_, kCallMessage, 0, reinterpret_cast<LPARAM>(&fn));
}

LauncherWindowTesting::FrameCounts WindowHarness::Counts() {
  LauncherWindowTesting::FrameCounts counts;
  OnGui([&] { counts = LauncherWindowTesting::Counts(); });
  return counts;
}

bool WindowHarness::WaitFor(const std::function<bool()>& condition, DWORD limit_ms) {
  bool holds = false;
  Poll(
      [&] {
        OnGui([&] { holds = condition(); });
        return holds || !Running();  // a window that has gone answers nothing more
      },
      limit_ms);
  return holds;
}

bool WindowHarness::WaitFullFrames(int count, DWORD limit_ms) {
  const int target = Counts().full + count;
  return WaitFor([target] { return LauncherWindowTesting::Counts().full >= target; }, limit_ms);
}

bool WindowHarness::Key(WPARAM virtual_key) {
  // Sent, not posted: a posted key can miss the message pass the count is read in, and
  // the frame after that pass would then be counted without it.
  SendMessageW(hwnd_, WM_KEYDOWN, virtual_key, 1);
  SendMessageW(hwnd_, WM_KEYUP, virtual_key, 0xC0000001);
  const int target = Counts().full + 1;
  return WaitFor([target] { return LauncherWindowTesting::Counts().full >= target; });
}

int WindowHarness::Close(DWORD limit_ms) {
  if (!Running()) return result_;
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(thread_, limit_ms) != WAIT_OBJECT_0) return -1;
  hwnd_ = nullptr;
  return result_;
}

bool WindowHarness::WaitEnded(DWORD limit_ms) {
  return thread_ && WaitForSingleObject(thread_, limit_ms) == WAIT_OBJECT_0;
}

bool WindowHarness::Running() const { return thread_ && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; }

}  // namespace launchertest
