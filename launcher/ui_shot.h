// --ui-shot: one launcher screen rendered without a window into a 32-bit BMP file, with
// the real settings, dump status and jobs.
#pragma once

#include <windows.h>

#include <string>

// 0 saved, 1 could not write (or a size outside 1..16384), 2 unknown screen.
int RenderUiShot(const std::string& screen, const std::string& out, int width, int height);
// The same for the screen LauncherState shows already, with whatever a caller put in it
// first (the chooser's list, a job started in process).
int RenderCurrentScreenShot(const std::string& out, int width, int height);

namespace UiShotTesting {

// A shot's frame drawn once more, as the window would draw the next frame with no input
// and no time passed, and the same after the screen is entered anew by the keyboard: how
// many pixels differ, the box around them, and which of the two checks it was.
struct SteadyCheck {
  long changed_pixels = -1;  // -1: not checked
  RECT box = {};
  const char* what = "";
};
// While set, every shot draws that one more frame and fills the check in.
void SetSteadyCheck(SteadyCheck* check);

}  // namespace UiShotTesting
