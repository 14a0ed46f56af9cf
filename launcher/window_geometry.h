// Where the launcher window opens and how small it may get, on a work area at a dpi.
#pragma once

#include <windows.h>

// 1280 x 720 at 96 dpi scaled to the dpi; larger than the work area less 40 on either
// axis, it shrinks to fit with the aspect kept, then is centred in the work area.
RECT InitialWindowRect(int dpi, const RECT& work_area);
// 1024 x 576 scaled to the dpi, shrunk the same way: at a high dpi the scaled minimum can
// be larger than the screen, and the minimum may never force the window off it.
SIZE MinimumWindowSize(int dpi, const RECT& work_area);

// The window pixels a rectangle of the design canvas covers (`scale` and the offsets as
// in ui::Canvas), grown by `margin` pixels on every side and rounded outwards, so that it
// covers every pixel the rectangle touches: the top bar's hit boxes and the animation's
// dirty rectangles.
RECT DesignToPixels(float scale, float offset_x, float offset_y, float x0, float y0, float x1, float y1,
                    float margin = 0);

// Makes the process per-monitor DPI aware where Windows offers it, before any window or
// back buffer is made, so the window and the UI shots draw at the monitor's own scale.
void SetDpiAwareness();
