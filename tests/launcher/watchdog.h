// The watchdog: a thread that sends the real launcher window a message every 50 ms and
// records how long each answer took, while a case's slow work runs against a held
// stand-in. A window whose thread waits on that work answers late, or not until it is
// released; one that hands the work off answers within a frame or two.
#pragma once

#include <windows.h>

namespace launchertest {

class Watchdog {
 public:
  explicit Watchdog(HWND hwnd);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // Waits until `count` more answers have come (false after limit_ms).
  bool WaitAnswers(int count, DWORD limit_ms = 120000);
  // Stops sending; the longest wait for an answer in milliseconds.
  double Stop();
  int Answers();

 private:
  static DWORD WINAPI Run(LPVOID self);

  HWND hwnd_;
  HANDLE stop_ = nullptr;
  HANDLE answered_ = nullptr;  // auto-reset: one more answer came
  HANDLE thread_ = nullptr;
  CRITICAL_SECTION lock_;  // guards the two figures below
  double longest_ms_ = 0;
  int answers_ = 0;
};

}  // namespace launchertest

// launcher_probe watchdog CASE [ARG]: the case's steps in the real window with the
// watchdog running; prints what happened and "longest wait: <ms> ms".
int Watchdog(int argc, char** argv);
