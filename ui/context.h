// The toolkit's one state record: what the current frame draws into and the interaction
// state that outlives frames (focus, the pending press, the dragged widget). GUI thread only.
#pragma once

#include <vector>

#include "ui/input.h"

namespace Gdiplus {
class Graphics;
}

namespace ui {

struct Context {
  // Drawing.
  Gdiplus::Graphics* graphics = nullptr;  // the frame's graphics; null outside a frame
  int width = 0, height = 0;              // back buffer in pixels
  float scale = 1.0f;
  float offset_x = 0.0f, offset_y = 0.0f;
  float view_left = 0.0f, view_right = 1280.0f;
  std::vector<unsigned> state_stack;      // GDI+ graphics-state tokens of PushSkew/PushClip
  // A partial frame's dirty rectangles in device pixels (left, top, right, bottom), for
  // the frame drawn through paint_graphics; none outside a partial frame (SetPaintRects).
  static constexpr int kMaxPaintRects = 8;
  int paint_rects[kMaxPaintRects][4] = {};
  int paint_rect_count = 0;
  Gdiplus::Graphics* paint_graphics = nullptr;

  // Interaction.
  Input input;                  // this frame's snapshot
  float mouse[2] = {-10000.0f, -10000.0f};  // cursor in design units
  int focus = 0;                // id of the focused widget; screens may set it
  int widget_count = 0;         // focus ids handed out so far this frame
  bool focus_visible = false;   // keyboard/gamepad focus is shown
  int hand_cursor = 0;          // something clickable is hovered
  bool consumed = false;        // a click or activation was used this frame
  float press[2] = {-1.0f, -1.0f};  // design point of the last press; (-1, -1) when none
  int active = -1;              // id of the widget being dragged
};

Context& Ctx();

}  // namespace ui
