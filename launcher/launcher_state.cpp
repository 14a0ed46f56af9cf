#include "launcher/launcher_state.h"

LauncherState& Launcher() {
  static LauncherState state;
  return state;
}

uint64_t TickNow() {
  const uint64_t frozen = Launcher().frozen_tick;
  return frozen ? frozen : GetTickCount64();
}

double NowSeconds() { return static_cast<double>(TickNow() - Launcher().start_tick) / 1000.0; }

void ShowToast(const std::wstring& text) {
  LauncherState& st = Launcher();
  st.toast_text = text;
  st.toast_until = NowSeconds() + 3.5;
}

double JobClockNow() { return static_cast<double>(TickNow()) / 1000.0; }
