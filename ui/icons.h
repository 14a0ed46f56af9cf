// Line-drawing icons in a 16 x 16 box, written in a small subset of SVG path data and
// stroked with round caps and joins at any size. The same parser turns the backdrop's
// outlines into GDI+ paths.
#pragma once

#include "ui/gdiplus_api.h"
#include "ui/palette.h"

namespace ui {

struct IconCircle {
  float cx, cy, r;  // stroked when r > 0
};
struct IconFrame {
  float x, y, w, h, radius;  // stroked rounded rectangle when w > 0
};
struct IconEntry {
  const char* name;
  const char* path;  // may be empty
  IconCircle circle1;
  IconCircle circle2;
  IconFrame frame;
};

extern const IconEntry IconTable[18];
constexpr int kIconCount = 18;

// The entry of that exact (case-sensitive) name, or null.
const IconEntry* FindIcon(const char* name);

// A new path (fill mode Alternate) owned by the caller. Commands M L H V C S Z and their
// relative forms, implicit repeats (L after M); parsing stops quietly at anything else and
// returns what was built so far.
Gdiplus::GpPath* ParseIconPath(const char* path);

// Draws the icon into the square (x, y, size, size); stroke_width is in icon units (a
// 16th of size). Unknown names draw nothing.
void DrawIcon(const char* name, float x, float y, float size, const Color& color, float stroke_width);

}  // namespace ui
