// What tests and the benchmark can see of the window loop: how many frames it drew.
#pragma once

#include "ui/gamepad.h"

namespace LauncherWindowTesting {

struct FrameCounts {
  int full = 0;
  int partial = 0;
};
FrameCounts Counts();
// Reads the gamepad through `reader` instead of xinput1_4.dll; null puts XInput back.
void SetPadReader(ui::XInputGetStateFn reader);

}  // namespace LauncherWindowTesting
