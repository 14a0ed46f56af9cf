// The fixed 1280 x 720 design canvas every screen lays out in, scaled uniformly to the
// back buffer and centred in it.
#pragma once

namespace ui {

constexpr float kCanvasWidth = 1280.0f;
constexpr float kCanvasHeight = 720.0f;

struct Canvas {
  float scale = 1.0f;        // design units to pixels
  float offset_x = 0.0f;     // pixel offset of the canvas (letterbox bars)
  float offset_y = 0.0f;
  float view_left = 0.0f;    // design x of the window's left and right edges
  float view_right = kCanvasWidth;
};

// The canvas for a back buffer of width x height pixels (each at least 1).
Canvas ComputeCanvas(int width, int height);

}  // namespace ui
