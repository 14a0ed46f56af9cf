// The process's one GDI+ session. Objects cached for the process lifetime (fonts, the
// backdrop's layers and paths) register a release function so they are freed before
// GDI+ shuts down rather than left dangling into a later session.
#pragma once

namespace ui {

// GdiplusStartup with version 1; false when it fails. Nested starts are counted.
bool StartGdiplus();
// Runs the registered release functions (last registered first), then GdiplusShutdown.
void StopGdiplus();
// Registers fn once; it runs at the next StopGdiplus.
void AtGdiplusStop(void (*fn)());
bool GdiplusRunning();

}  // namespace ui
