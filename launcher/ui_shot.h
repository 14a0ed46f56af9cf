// --ui-shot: one launcher screen rendered without a window into a 32-bit BMP file, with
// the real settings, dump status and jobs.
#pragma once

#include <string>

// 0 saved, 1 could not write (or a size outside 1..16384), 2 unknown screen.
int RenderUiShot(const std::string& screen, const std::string& out, int width, int height);
// The same for the screen LauncherState shows already, with whatever a caller put in it
// first (the chooser's list, a job started in process).
int RenderCurrentScreenShot(const std::string& out, int width, int height);
