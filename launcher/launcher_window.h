// The graphical mode: the borderless launcher window, its message loop and its painting.
#pragma once

#include <windows.h>

// The window class: one top-level window of it per launcher process.
extern const wchar_t kLauncherWindowClass[];

int RunGui();
// Loads the launcher's fonts from their folder (ui::FontsDirectory), with a log line when
// that folder is missing; false only when GDI+ doesn't start.
bool LoadLauncherFonts();
LRESULT CALLBACK LauncherWndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// Renders one frame into the back buffer and copies it to the window; full = false draws
// and copies only the dirty rectangles of the home backdrop's animation.
void PaintFrame(HWND hwnd, bool full);
// display.background_animation: "off", "on", or the system's client-area animation.
bool BackgroundAnimationEnabled();
