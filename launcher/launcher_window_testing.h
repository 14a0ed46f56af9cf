// What tests and the benchmark can see of the window loop: how many frames it drew.
#pragma once

#include <vector>

#include "ui/gamepad.h"

namespace LauncherWindowTesting {

struct FrameCounts {
  int full = 0;
  int partial = 0;
  int emblem = 0;  // partial frames that also repainted the emblem's square
};
FrameCounts Counts();

// One painted frame's costs in milliseconds: Frame as a whole, its backdrop and screen
// parts, the copy to the window, and publishing what a screen reader reads (nothing
// while no client has asked).
struct FrameTiming {
  bool partial = false;
  double frame_ms = 0, backdrop_ms = 0, screen_ms = 0, present_ms = 0, access_ms = 0;
};
// While set, every painted frame appends its timing here (GUI thread; null stops it).
void SetFrameLog(std::vector<FrameTiming>* log);
// Reads the gamepad through `reader` instead of xinput1_4.dll; null puts XInput back.
void SetPadReader(ui::XInputGetStateFn reader);

}  // namespace LauncherWindowTesting
