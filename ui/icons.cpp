#include "ui/icons.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ui/context.h"
#include "ui/draw.h"

namespace ui {

using namespace Gdiplus;

const IconEntry IconTable[18] = {
    {"gear", "M8 1.5v2M8 12.5v2M1.5 8h2M12.5 8h2M3.4 3.4l1.4 1.4M11.2 11.2l1.4 1.4M3.4 12.6l1.4-1.4M11.2 4.8l1.4-1.4",
     {8, 8, 2.3f}, {}, {}},
    {"pad", "M4.5 8h2M5.5 7v2", {}, {}, {1.5f, 5, 13, 6, 3}},
    {"logs", "M3 2.5h10v11H3zM5.5 5.5h5M5.5 8h5M5.5 10.5h3", {}, {}, {}},
    {"about", "M8 7v4M8 4.8v.1", {8, 8, 6.2f}, {}, {}},
    {"disc", "", {8, 8, 6}, {8, 8, 1.6f}, {}},
    {"display", "M5.5 14h5M8 11.5V14", {}, {}, {1.5f, 2.5f, 13, 9, 1}},
    {"graphics", "M2 13 L6 7 L9 10 L11 8 L14 13 Z", {11, 4.5f, 1.5f}, {}, {}},
    {"audio", "M2.5 6h3l4-3v10l-4-3h-3zM11.5 5.5c1 1.4 1 3.6 0 5", {}, {}, {}},
    {"language", "M2 8h12M8 2c2 2 2 10 0 12M8 2c-2 2-2 10 0 12", {8, 8, 6}, {}, {}},
    {"builds", "M8 2 L14 5 L8 8 L2 5 Z M2 8 L8 11 L14 8 M2 11 L8 14 L14 11", {}, {}, {}},
    {"min", "M3 8h10", {}, {}, {}},
    {"close", "M3.5 3.5l9 9M12.5 3.5l-9 9", {}, {}, {}},
    {"shield", "M8 1.5 L13.5 4 V8 C13.5 11 11 13.5 8 14.5 C5 13.5 2.5 11 2.5 8 V4 Z M5.5 8 L7.3 9.8 L10.5 6.3",
     {}, {}, {}},
    {"chev", "M4.8 1.6 L11.2 8 L4.8 14.4", {}, {}, {}},
    {"tick", "M2.7 8.7 L6.7 12.7 L13.3 4", {}, {}, {}},
    {"cross", "M4 4l8 8M12 4l-8 8", {}, {}, {}},
    {"folder", "M2 4.7h4l1.3 1.3h6.7v6.7H2z M8 11.3v-4M6 9l2-2 2 2", {}, {}, {}},
    {"back", "M11.2 1.6 L4.8 8 L11.2 14.4", {}, {}, {}},
};

const IconEntry* FindIcon(const char* name) {
  if (!name) return nullptr;
  for (const IconEntry& e : IconTable)
    if (std::strcmp(e.name, name) == 0) return &e;
  return nullptr;
}

// [SECTION] Parser

namespace {

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\n'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// One number as strtof reads a decimal one: sign, digits, fraction (may start with the
// point), exponent. Letters never start a number, so "inf", "nan" and hex stay out.
bool ReadNumber(const char** cursor, float* value) {
  const char* p = *cursor;
  while (IsSeparator(*p)) ++p;
  if (*p == '\0' || IsLetter(*p)) return false;
  char* end = nullptr;
  const float v = std::strtof(p, &end);
  if (end == p) return false;
  *value = v;
  *cursor = end;
  return true;
}

int ArgumentCount(char command) {
  switch (command | 0x20) {  // lower case
    case 'm': case 'l': return 2;
    case 'h': case 'v': return 1;
    case 'c': return 6;
    case 's': return 4;
    default: return 0;
  }
}

}  // namespace

GpPath* ParseIconPath(const char* text) {
  GpPath* path = nullptr;
  if (gp::GdipCreatePath(FillModeAlternate, &path) != Ok) return nullptr;
  if (!text) return path;

  float cx = 0, cy = 0;            // current point
  float sx = 0, sy = 0;            // start of the current figure
  float ctrl_x = 0, ctrl_y = 0;    // second control point of the last cubic
  char command = 0;                // the command numbers repeat
  char previous = 0;               // the last command carried out
  const char* p = text;
  for (;;) {
    while (IsSeparator(*p)) ++p;
    if (*p == '\0') break;
    if (IsLetter(*p)) {
      const char c = *p;
      if (!std::strchr("MLHVCSZmlhvcsz", c)) break;
      ++p;
      if (c == 'Z' || c == 'z') {
        gp::GdipClosePathFigure(path);
        cx = sx;
        cy = sy;
        command = previous = c;
        continue;
      }
      command = c;
    } else if (command == 0 || command == 'Z' || command == 'z') {
      break;  // a number needs a command before it, and Z takes none
    }

    float a[6];
    const int n = ArgumentCount(command);
    bool complete = true;
    for (int i = 0; i < n && complete; ++i) complete = ReadNumber(&p, &a[i]);
    if (!complete) break;

    // Absolute coordinates: x at even positions, y at odd ones (v's one number is a y).
    const bool relative = command >= 'a';
    const bool vertical = (command | 0x20) == 'v';
    bool finite = true;
    for (int i = 0; i < n; ++i) {
      if (relative) a[i] += (i % 2 == 0 && !vertical) ? cx : cy;
      // A number too big for a float, or a relative sum that grows into one, would put an
      // infinite point into the path: malformed input, so the parse ends.
      finite = finite && std::isfinite(a[i]);
    }
    if (!finite) break;
    switch (command | 0x20) {
      case 'm':
        gp::GdipStartPathFigure(path);
        cx = sx = a[0];
        cy = sy = a[1];
        break;
      case 'l':
        gp::GdipAddPathLine(path, cx, cy, a[0], a[1]);
        cx = a[0];
        cy = a[1];
        break;
      case 'h':
        gp::GdipAddPathLine(path, cx, cy, a[0], cy);
        cx = a[0];
        break;
      case 'v':
        gp::GdipAddPathLine(path, cx, cy, cx, a[0]);
        cy = a[0];
        break;
      case 'c':
        gp::GdipAddPathBezier(path, cx, cy, a[0], a[1], a[2], a[3], a[4], a[5]);
        ctrl_x = a[2];
        ctrl_y = a[3];
        cx = a[4];
        cy = a[5];
        break;
      case 's': {
        const bool follows_cubic = (previous | 0x20) == 'c' || (previous | 0x20) == 's';
        const float x1 = follows_cubic ? 2 * cx - ctrl_x : cx;
        const float y1 = follows_cubic ? 2 * cy - ctrl_y : cy;
        if (!std::isfinite(x1) || !std::isfinite(y1)) return path;  // the reflection overflowed
        gp::GdipAddPathBezier(path, cx, cy, x1, y1, a[0], a[1], a[2], a[3]);
        ctrl_x = a[0];
        ctrl_y = a[1];
        cx = a[2];
        cy = a[3];
        break;
      }
    }
    previous = command;
    if (command == 'M') command = 'L';
    if (command == 'm') command = 'l';
  }
  return path;
}

// [SECTION] Drawing

void DrawIcon(const char* name, float x, float y, float size, const Color& color, float stroke_width) {
  if (!IsVisible(x - 2, y - 2, size + 4, size + 4)) return;
  const IconEntry* icon = FindIcon(name);
  if (!icon) return;
  Gdiplus::Graphics* wrapper = Ctx().graphics;
  GpGraphics* g = detail::Native(wrapper);
  GraphicsState saved = 0;
  gp::GdipSaveGraphics(g, &saved);
  gp::GdipTranslateWorldTransform(g, x, y, MatrixOrderPrepend);
  gp::GdipScaleWorldTransform(g, size * 0.0625f, size * 0.0625f, MatrixOrderPrepend);

  GpPen* pen = nullptr;
  detail::Note(wrapper, gp::GdipCreatePen1(color, stroke_width, UnitWorld, &pen));
  gp::GdipSetPenStartCap(pen, LineCapRound);
  gp::GdipSetPenEndCap(pen, LineCapRound);
  gp::GdipSetPenLineJoin(pen, LineJoinRound);

  if (icon->path[0] != '\0') {
    GpPath* path = ParseIconPath(icon->path);
    detail::Note(wrapper, gp::GdipDrawPath(g, pen, path));
    gp::GdipDeletePath(path);
  }
  for (const IconCircle* c : {&icon->circle1, &icon->circle2}) {
    if (c->r > 0) detail::Note(wrapper, gp::GdipDrawEllipse(g, pen, c->cx - c->r, c->cy - c->r, 2 * c->r, 2 * c->r));
  }
  if (icon->frame.w > 0) {
    GpPath* path = nullptr;
    gp::GdipCreatePath(FillModeAlternate, &path);
    AddRoundRect(path, icon->frame.x, icon->frame.y, icon->frame.w, icon->frame.h, icon->frame.radius);
    detail::Note(wrapper, gp::GdipDrawPath(g, pen, path));
    gp::GdipDeletePath(path);
  }
  gp::GdipRestoreGraphics(g, saved);
  gp::GdipDeletePen(pen);
}

}  // namespace ui
