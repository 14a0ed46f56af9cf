// The off-screen picture every frame is drawn into: a memory DC holding a 32-bit
// top-down DIB section, so the pixels can be copied to the window or written to a file.
#pragma once

#include <windows.h>

#include <cstdint>

struct BackBuffer {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old_bitmap = nullptr;
  int width = 0, height = 0;
  uint32_t* pixels = nullptr;  // B, G, R, A bytes per pixel, top row first
};

// (Re)creates the buffer at width x height, compatible with reference_dc (the screen's
// when null). False, with the buffer freed, when either can't be made.
bool MakeBackBuffer(BackBuffer* buffer, HDC reference_dc, int width, int height);
void FreeBackBuffer(BackBuffer* buffer);
