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

double JobClockNow() { return static_cast<double>(TickNow()) / 1000.0; }
