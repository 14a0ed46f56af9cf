#include "ui/draw.h"

#include <cmath>

#include "ui/context.h"

namespace ui {

using namespace Gdiplus;

namespace {

constexpr float kPi = 3.14159265358979f;

GpGraphics* Target() { return detail::FrameGraphics(); }
void Note(Status status) { detail::NoteStatus(status); }

// Culling: true when nothing of (x, y, w, h) grown by 2 can show.
bool Culled(float x, float y, float w, float h) { return !IsVisible(x - 2, y - 2, w + 4, h + 4); }

void FillPath(GpPath* path, const Color& color) {
  GpSolidFill* brush = nullptr;
  Note(gp::GdipCreateSolidFill(color, &brush));
  Note(gp::GdipFillPath(Target(), brush, path));
  gp::GdipDeleteBrush(brush);
}

GpPen* NewPen(const Color& color, float width) {
  GpPen* pen = nullptr;
  Note(gp::GdipCreatePen1(color, width, UnitWorld, &pen));
  return pen;
}

}  // namespace

GpGraphics* detail::FrameGraphics() { return detail::Native(Ctx().graphics); }
void detail::NoteStatus(Status status) { detail::Note(Ctx().graphics, status); }

void SetupFrameGraphics(Gdiplus::Graphics* g) {
  Context& c = Ctx();
  c.graphics = g;
  c.state_stack.clear();
  GpGraphics* native = detail::Native(g);
  if (!native) return;
  detail::Note(g, gp::GdipSetSmoothingMode(native, SmoothingModeAntiAlias));
  detail::Note(g, gp::GdipSetTextRenderingHint(native, TextRenderingHintAntiAlias));
  detail::Note(g, gp::GdipSetPixelOffsetMode(native, PixelOffsetModeHalf));
  detail::Note(g, gp::GdipSetCompositingQuality(native, CompositingQualityHighQuality));
  detail::Note(g, gp::GdipResetWorldTransform(native));
  detail::Note(g, gp::GdipTranslateWorldTransform(native, c.offset_x, c.offset_y, MatrixOrderPrepend));
  detail::Note(g, gp::GdipScaleWorldTransform(native, c.scale, c.scale, MatrixOrderPrepend));
}

void SetPaintRects(Gdiplus::Graphics* g, const RECT* rects, int count) {
  Context& c = Ctx();
  c.paint_graphics = g;
  c.paint_rect_count = 0;
  for (int i = 0; i < count; ++i) {
    int* r = c.paint_rects[std::min(i, Context::kMaxPaintRects - 1)];
    const RECT& from = rects[i];
    if (i < Context::kMaxPaintRects) {
      r[0] = from.left, r[1] = from.top, r[2] = from.right, r[3] = from.bottom;
    } else {
      r[0] = std::min<int>(r[0], from.left);
      r[1] = std::min<int>(r[1], from.top);
      r[2] = std::max<int>(r[2], from.right);
      r[3] = std::max<int>(r[3], from.bottom);
    }
  }
  c.paint_rect_count = std::min(count, Context::kMaxPaintRects);
}

namespace {

// False when (x, y, w, h) surely misses every paint rectangle of a partial frame. The box
// is taken to device pixels through the current transform and grown by a pixel for the
// anti-aliased edge; the clip can only narrow what is visible, never widen it.
bool MayTouchPaintRects(GpGraphics* g, float x, float y, float w, float h) {
  const Context& c = Ctx();
  if (c.paint_rect_count == 0 || c.graphics != c.paint_graphics) return true;
  GpPointF corners[4] = {{x, y}, {x + w, y}, {x, y + h}, {x + w, y + h}};
  if (gp::GdipTransformPoints(g, CoordinateSpaceDevice, CoordinateSpaceWorld, corners, 4) != Ok) return true;
  float left = corners[0].X, right = left, top = corners[0].Y, bottom = top;
  for (const GpPointF& p : corners) {
    left = std::min(left, p.X);
    right = std::max(right, p.X);
    top = std::min(top, p.Y);
    bottom = std::max(bottom, p.Y);
  }
  for (int i = 0; i < c.paint_rect_count; ++i) {
    const int* r = c.paint_rects[i];
    if (right + 1 >= r[0] && left - 1 <= r[2] && bottom + 1 >= r[1] && top - 1 <= r[3]) return true;
  }
  return false;
}

}  // namespace

bool IsVisible(float x, float y, float w, float h) {
  GpGraphics* g = Target();
  if (!g) return false;
  if (!MayTouchPaintRects(g, x, y, w, h)) return false;
  BOOL visible = FALSE;
  Note(gp::GdipIsVisibleRect(g, x, y, w, h, &visible));
  return visible != FALSE;
}

void FillRect(float x, float y, float w, float h, const Color& color) {
  GpGraphics* g = Target();
  if (!g) return;
  GpSolidFill* brush = nullptr;
  Note(gp::GdipCreateSolidFill(color, &brush));
  Note(gp::GdipFillRectangle(g, brush, x, y, w, h));
  gp::GdipDeleteBrush(brush);
}

void AddRoundRect(GpPath* path, float x, float y, float w, float h, float radius) {
  const float r = std::min(std::min(w, h) * 0.5f, radius);
  if (r <= 0.01f) {
    gp::GdipAddPathRectangle(path, x, y, w, h);
    return;
  }
  const float d = 2 * r;
  gp::GdipAddPathArc(path, x, y, d, d, 180, 90);
  gp::GdipAddPathArc(path, x + w - d, y, d, d, 270, 90);
  gp::GdipAddPathArc(path, x + w - d, y + h - d, d, d, 0, 90);
  gp::GdipAddPathArc(path, x, y + h - d, d, d, 90, 90);
  gp::GdipClosePathFigure(path);
}

void FillRoundRect(float x, float y, float w, float h, float radius, const Color& color) {
  if (Culled(x, y, w, h)) return;
  GpPath* path = nullptr;
  Note(gp::GdipCreatePath(FillModeAlternate, &path));
  AddRoundRect(path, x, y, w, h, radius);
  FillPath(path, color);
  gp::GdipDeletePath(path);
}

void StrokeRoundRect(float x, float y, float w, float h, float radius, const Color& color,
                     float width) {
  if (Culled(x, y, w, h)) return;
  GpPath* path = nullptr;
  Note(gp::GdipCreatePath(FillModeAlternate, &path));
  AddRoundRect(path, x + width / 2, y + width / 2, w - width, h - width, radius);
  GpPen* pen = NewPen(color, width);
  Note(gp::GdipDrawPath(Target(), pen, path));
  gp::GdipDeletePen(pen);
  gp::GdipDeletePath(path);
}

void StrokeDashedRoundRect(float x, float y, float w, float h, float radius, const Color& color,
                           float width, float dash, float gap) {
  if (Culled(x, y, w, h)) return;
  GpPen* pen = NewPen(color, width);
  if (!pen) return;
  const float pattern[2] = {dash, gap};
  Note(gp::GdipSetPenDashArray(pen, pattern, 2));
  GpPath* path = nullptr;
  Note(gp::GdipCreatePath(FillModeAlternate, &path));
  AddRoundRect(path, x, y, w, h, radius);
  Note(gp::GdipDrawPath(Target(), pen, path));
  gp::GdipDeletePath(path);
  gp::GdipDeletePen(pen);
}

void FillRoundRectGradient(float x, float y, float w, float h, float radius, const Color& from,
                           const Color& to, float angle) {
  if (Culled(x, y, w, h)) return;
  GpPath* path = nullptr;
  Note(gp::GdipCreatePath(FillModeAlternate, &path));
  AddRoundRect(path, x, y, w, h, radius);
  const RectF area(x - 1, y - 1, w + 2, h + 2);
  GpLineGradient* brush = nullptr;
  Note(gp::GdipCreateLineBrushFromRectWithAngle(&area, from, to, angle, FALSE, WrapModeTile, &brush));
  Note(gp::GdipFillPath(Target(), brush, path));
  gp::GdipDeleteBrush(brush);
  gp::GdipDeletePath(path);
}

void DrawLine(float x1, float y1, float x2, float y2, const Color& color, float width) {
  GpGraphics* g = Target();
  if (!g) return;
  GpPen* pen = NewPen(color, width);
  Note(gp::GdipDrawLine(g, pen, x1, y1, x2, y2));
  gp::GdipDeletePen(pen);
}

void FillCircle(float cx, float cy, float r, const Color& color) {
  if (!IsVisible(cx - r - 1, cy - r - 1, 2 * r + 2, 2 * r + 2)) return;
  GpSolidFill* brush = nullptr;
  Note(gp::GdipCreateSolidFill(color, &brush));
  Note(gp::GdipFillEllipse(Target(), brush, cx - r, cy - r, 2 * r, 2 * r));
  gp::GdipDeleteBrush(brush);
}

void StrokeCircle(float cx, float cy, float r, const Color& color, float width) {
  GpGraphics* g = Target();
  if (!g) return;
  GpPen* pen = NewPen(color, width);
  Note(gp::GdipDrawEllipse(g, pen, cx - r, cy - r, 2 * r, 2 * r));
  gp::GdipDeletePen(pen);
}

void StrokeArc(float cx, float cy, float r, float start, float sweep, const Color& color,
               float width) {
  GpGraphics* g = Target();
  if (!g) return;
  GpPen* pen = NewPen(color, width);
  gp::GdipSetPenStartCap(pen, LineCapRound);
  gp::GdipSetPenEndCap(pen, LineCapRound);
  Note(gp::GdipDrawArc(g, pen, cx - r, cy - r, 2 * r, 2 * r, start, sweep));
  gp::GdipDeletePen(pen);
}

void FillPolygon(const PointF* points, int count, const Color& color) {
  GpGraphics* g = Target();
  if (!g) return;
  GpSolidFill* brush = nullptr;
  Note(gp::GdipCreateSolidFill(color, &brush));
  Note(gp::GdipFillPolygon(g, brush, points, count, FillModeAlternate));
  gp::GdipDeleteBrush(brush);
}

void FillStar(float cx, float cy, float r, const Color& color) {
  static const float kStar[10][2] = {
      {0, -1},         {0.247f, -0.34f}, {0.951f, -0.309f}, {0.399f, 0.13f},  {0.588f, 0.809f},
      {0, 0.42f},      {-0.588f, 0.809f}, {-0.399f, 0.13f}, {-0.951f, -0.309f}, {-0.247f, -0.34f},
  };
  if (!Target()) return;
  PointF points[10];
  for (int i = 0; i < 10; ++i) points[i] = PointF(cx + kStar[i][0] * r, cy + kStar[i][1] * r);
  GpPath* path = nullptr;
  Note(gp::GdipCreatePath(FillModeAlternate, &path));
  Note(gp::GdipAddPathPolygon(path, points, 10));
  FillPath(path, color);
  gp::GdipDeletePath(path);
}

void PushSkew(float cx, float cy, float angle_degrees) {
  (void)cx;  // the shear is about a horizontal line; cx keeps call sites readable
  GpGraphics* g = Target();
  if (!g) return;
  GraphicsState token = 0;
  Note(gp::GdipSaveGraphics(g, &token));
  Ctx().state_stack.push_back(token);
  const float t = std::tan(angle_degrees * kPi / 180.0f);
  GpMatrix* shear = nullptr;
  Note(gp::GdipCreateMatrix2(1, 0, t, 1, -t * cy, 0, &shear));
  Note(gp::GdipMultiplyWorldTransform(g, shear, MatrixOrderPrepend));
  gp::GdipDeleteMatrix(shear);
}

void PushClip(float x, float y, float w, float h) {
  GpGraphics* g = Target();
  if (!g) return;
  GraphicsState token = 0;
  Note(gp::GdipSaveGraphics(g, &token));
  Ctx().state_stack.push_back(token);
  Note(gp::GdipSetClipRect(g, x, y, w, h, CombineModeIntersect));
}

void PushRoundClip(float x, float y, float w, float h, float radius) {
  GpGraphics* g = Target();
  if (!g) return;
  GraphicsState token = 0;
  Note(gp::GdipSaveGraphics(g, &token));
  Ctx().state_stack.push_back(token);
  GpPath* path = nullptr;
  Note(gp::GdipCreatePath(FillModeAlternate, &path));
  AddRoundRect(path, x, y, w, h, radius);
  Note(gp::GdipSetClipPath(g, path, CombineModeIntersect));
  gp::GdipDeletePath(path);
}

namespace {
int layer_targets = 0;  // ScopedDrawTargets alive (GUI thread only)
}  // namespace

bool detail::DrawingIntoLayer() { return layer_targets > 0; }

ScopedDrawTarget::ScopedDrawTarget(Gdiplus::Graphics* target) : saved_graphics_(Ctx().graphics) {
  saved_stack_.swap(Ctx().state_stack);
  Ctx().graphics = target;
  ++layer_targets;
}

ScopedDrawTarget::~ScopedDrawTarget() {
  --layer_targets;
  Ctx().graphics = saved_graphics_;
  Ctx().state_stack.swap(saved_stack_);
}

void PopState() {
  Context& c = Ctx();
  if (c.state_stack.empty()) return;
  const GraphicsState token = c.state_stack.back();
  c.state_stack.pop_back();
  if (GpGraphics* g = Target()) Note(gp::GdipRestoreGraphics(g, token));
}

}  // namespace ui
