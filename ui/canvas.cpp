#include "ui/canvas.h"

#include <algorithm>

namespace ui {

Canvas ComputeCanvas(int width, int height) {
  const float w = static_cast<float>(std::max(width, 1));
  const float h = static_cast<float>(std::max(height, 1));
  Canvas c;
  c.scale = std::min(w / kCanvasWidth, h / kCanvasHeight);
  c.offset_x = (w - kCanvasWidth * c.scale) / 2.0f;
  c.offset_y = (h - kCanvasHeight * c.scale) / 2.0f;
  c.view_left = -c.offset_x / c.scale;
  c.view_right = (w - c.offset_x) / c.scale;
  return c;
}

}  // namespace ui
