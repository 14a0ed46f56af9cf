#include "ui/interaction.h"

#include "ui/access.h"
#include "ui/canvas.h"
#include "ui/context.h"
#include "ui/draw.h"

namespace ui {
namespace {
bool Inside(const float point[2], float x, float y, float w, float h) {
  return x <= point[0] && point[0] < x + w && y <= point[1] && point[1] < y + h;
}
// a mod n in [0, n) for any a.
int Wrap(int a, int n) { return ((a % n) + n) % n; }
}  // namespace

void BeginFrame(Gdiplus::Graphics* graphics, int width, int height, const Input& input) {
  Context& c = Ctx();
  c.width = width;
  c.height = height;
  const Canvas canvas = ComputeCanvas(width, height);
  c.scale = canvas.scale;
  c.offset_x = canvas.offset_x;
  c.offset_y = canvas.offset_y;
  c.view_left = canvas.view_left;
  c.view_right = canvas.view_right;

  c.input = input;
  c.mouse[0] = (input.mouse_x - c.offset_x) / c.scale;
  c.mouse[1] = (input.mouse_y - c.offset_y) / c.scale;

  const int n = c.widget_count;
  c.widget_count = 0;
  c.hand_cursor = 0;
  c.consumed = false;

  if (input.mouse_pressed) {
    c.press[0] = c.mouse[0];
    c.press[1] = c.mouse[1];
  }
  // A drag ends one frame after the release, so the releasing frame still sees it.
  if (!input.mouse_down && !input.mouse_released) c.active = -1;

  if (input.nav_up || input.nav_down || input.nav_left || input.nav_right || input.nav_activate)
    c.focus_visible = true;
  // The mouse wins within one frame; its wheel too, or the focused row would pull a
  // scrolled page back to itself.
  if (input.mouse_moved || input.mouse_pressed || input.wheel != 0) c.focus_visible = false;
  if (input.focus_to >= 0) {
    c.focus = input.focus_to;
    c.focus_visible = true;  // a screen reader's move is a keyboard move: the ring and the scroll follow it
  }

  if (n > 0) {
    if (input.nav_up) c.focus = Wrap(n + c.focus - 1, n);
    if (input.nav_down) c.focus = Wrap(c.focus + 1, n);
    if (c.focus >= n) c.focus = n - 1;
  }

  SetupFrameGraphics(graphics);
  detail::BeginAccessFrame();
}

void EndFrame() {
  Context& c = Ctx();
  if (c.input.mouse_released) c.press[0] = c.press[1] = -1.0f;
  c.graphics = nullptr;
  c.state_stack.clear();
  c.paint_rect_count = 0;
  c.paint_graphics = nullptr;
}

bool Hovered(float x, float y, float w, float h) { return Inside(Ctx().mouse, x, y, w, h); }

int Focusable(float x, float y, float w, float h) {
  Context& c = Ctx();
  const int id = c.widget_count++;
  detail::RecordFocusable(id, x, y, w, h);
  const bool inside = Hovered(x, y, w, h);
  if (c.input.mouse_moved && inside && c.active < 0) c.focus = id;
  if (inside) c.hand_cursor = 1;
  return id;
}

bool IsFocused(int id) { return Ctx().focus == id; }

bool Clicked(float x, float y, float w, float h) {
  const Context& c = Ctx();
  return c.input.mouse_released && Inside(c.mouse, x, y, w, h) && Inside(c.press, x, y, w, h);
}

bool Activated(int id, float x, float y, float w, float h) {
  Context& c = Ctx();
  if (c.consumed) return false;
  if (Clicked(x, y, w, h) || (id == c.focus && c.input.nav_activate)) {
    c.consumed = true;
    return true;
  }
  return false;
}

}  // namespace ui
