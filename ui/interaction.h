// The frame's interaction rules: hit-testing, focus ids, clicks, activation and dragging,
// all in design units from this frame's input snapshot.
#pragma once

#include "ui/input.h"

namespace Gdiplus {
class Graphics;
}

namespace ui {

// Top of a frame: canvas, input copy, focus movement, then the graphics setup.
void BeginFrame(Gdiplus::Graphics* graphics, int width, int height, const Input& input);
void EndFrame();

// Rectangles are (x, y, w, h), half-open: x <= px < x + w.
bool Hovered(float x, float y, float w, float h);
// Registers one focusable widget; focus follows the moving mouse unless a drag is active.
int Focusable(float x, float y, float w, float h);
bool IsFocused(int id);
// The left button was released this frame with both the mouse and the press point inside.
bool Clicked(float x, float y, float w, float h);
// The standard activation of a clickable: nothing once consumed; else a click on the
// rectangle or Activate on the focused id, which consumes the frame's activation.
bool Activated(int id, float x, float y, float w, float h);

}  // namespace ui
