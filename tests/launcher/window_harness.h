// The real launcher window in the test's own process: RunGui on a thread of its own, the
// window found among that thread's windows, and the test's calls run on the window's
// thread through a private message, so tests read LauncherState and the frame counts
// without racing the loop. Input arrives as real window messages.
#pragma once

#include <windows.h>

#include <functional>

#include "launcher/launcher_window_testing.h"

namespace launchertest {

// Polls done() on the calling thread until it holds; false after limit_ms.
bool Poll(const std::function<bool()>& done, DWORD limit_ms = 60000);

class WindowHarness {
 public:
  WindowHarness() = default;
  ~WindowHarness();
  WindowHarness(const WindowHarness&) = delete;
  WindowHarness& operator=(const WindowHarness&) = delete;

  // Starts the window and waits (bounded) until it has painted its first frame.
  bool Start(DWORD limit_ms = 60000);
  HWND hwnd() const { return hwnd_; }
  // Runs fn on the window's thread and returns when it has.
  void OnGui(const std::function<void()>& fn);
  LauncherWindowTesting::FrameCounts Counts();
  // Polls condition on the window's thread until it holds; false after limit_ms.
  bool WaitFor(const std::function<bool()>& condition, DWORD limit_ms = 60000);
  // Waits until the loop has drawn `count` more full frames than now.
  bool WaitFullFrames(int count, DWORD limit_ms = 60000);
  // A key press as the keyboard sends it, then one full frame drawn after it.
  bool Key(WPARAM virtual_key);
  // WM_CLOSE; returns RunGui's result once the thread has ended, -1 when it didn't in time.
  int Close(DWORD limit_ms = 60000);
  bool Running() const;
  // Waits for the window's loop to end by itself; false when it still runs after limit_ms.
  bool WaitEnded(DWORD limit_ms);

 private:
  HANDLE thread_ = nullptr;
  DWORD thread_id_ = 0;
  HWND hwnd_ = nullptr;
  int result_ = -1;
};

}  // namespace launchertest
