// What tests and the benchmark can see of the window loop: how many frames it drew.
#pragma once

#include <vector>

#include "ui/gamepad.h"

namespace LauncherWindowTesting {

struct FrameCounts {
  int full = 0;
  int partial = 0;
  int emblem = 0;  // partial frames that also repainted the emblem's square
  int settle = 0;  // frames drawn again at once because the one before changed something
};
FrameCounts Counts();

// One painted frame's costs in milliseconds: Frame as a whole, its backdrop and screen
// parts, the copy to the window, and publishing what a screen reader reads (nothing
// while no client has asked).
struct FrameTiming {
  bool partial = false;
  bool emblem = false;  // a partial frame that also repainted the emblem
  int frames = 1;       // Frame calls in the paint (FrameUntilSettled)
  double frame_ms = 0, backdrop_ms = 0, screen_ms = 0, present_ms = 0, access_ms = 0;
};
// While set, every painted frame appends its timing here (GUI thread; null stops it).
void SetFrameLog(std::vector<FrameTiming>* log);
// Reads the gamepad through `reader` instead of xinput1_4.dll; null puts XInput back.
void SetPadReader(ui::XInputGetStateFn reader);

// Home put together the way partial frames do it (what moves, then the foreground over
// it), over the whole window, against a whole frame of the same moment: how many pixels
// differ and the largest difference in a channel. GUI thread, on Home.
struct CompositeCheck {
  long differing = -1;
  int worst = 0;
  RECT box = {};  // around the differing pixels
};
CompositeCheck CheckComposite();

}  // namespace LauncherWindowTesting
