// One whole frame of the launcher: the backdrop, the top bar, the current screen and the
// toast, drawn from LauncherState, the settings and snapshots of the background jobs.
#pragma once

#include "ui/input.h"

namespace Gdiplus {
class Graphics;
}

void Frame(Gdiplus::Graphics* g, int width, int height, const ui::Input& input);
