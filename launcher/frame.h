// One whole frame of the launcher: the backdrop, the top bar, the current screen and the
// toast, drawn from LauncherState, the settings and snapshots of the background jobs.
#pragma once

#include "ui/input.h"

namespace Gdiplus {
class Graphics;
}

void Frame(Gdiplus::Graphics* g, int width, int height, const ui::Input& input);

// The frames the window draws for one paint: the default-focus rule, at most one queued
// navigation code, Frame; then, while the frame just drawn changed what a frame shows
// (it handled input, changed the screen or page, moved or reset the focus, scrolled,
// showed a toast...), one more Frame at once with no new input, so what is presented is
// never a frame that its own input made stale. A frame drawn right after the last one,
// with no input and no time passed, draws the same pixels. Returns how many it drew.
int FrameUntilSettled(Gdiplus::Graphics* g, int width, int height, const ui::Input& input, ui::NavQueue* queue);

// The two halves of a frame of Home, for the window layer's animation: what moves (the
// fill, the backdrop with the truck and, when asked, the emblem) and, over whatever the
// buffer holds, everything drawn over them but the emblem. The first leaves the focus
// ids those of the last whole frame, so the next frame's input is measured against them.
void HomeMotionPass(Gdiplus::Graphics* g, int width, int height, const ui::Input& input, bool emblem);
void ForegroundPass(Gdiplus::Graphics* g, int width, int height, const ui::Input& input);
