#include "art/emblem.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <tuple>

#include "art/truck_run.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/gdiplus_session.h"
#include "ui/icons.h"
#include "ui/layer.h"

namespace art {

// The art is drawn with the toolkit's primitives and GDI+ paths throughout; where both
// name a thing, the toolkit's is meant.
using namespace ui;
using namespace Gdiplus;
using ui::Color;

namespace {

constexpr size_t kMaxCachedEmblems = 8;

// The turning ring's dashes repeat every 11 units (a 2-unit dash, a 9-unit gap) along its
// circumference of pi x 336: turned by that angle it looks the same. Its picture is kept
// at this many steps of that angle, so a frame blends a kept picture instead of drawing
// ninety-odd dashes (most of a Home animation frame's time under Wine).
constexpr float kRingRepeat = 11.0f / (3.14159265f * 336.0f) * 360.0f;
constexpr int kRingSteps = 8;

// A pixel rectangle and the transform's scale factors in thousandths.
using LayerKey = std::tuple<int, int, int, int, int, int>;
struct Layers {
  // The glow with the ring's dashes turned by step k of kRingRepeat / kRingSteps, each
  // made when first needed.
  std::unique_ptr<Layer> back[kRingSteps];
  std::unique_ptr<Layer> front;
};
// GUI thread only; freed when GDI+ stops.
struct EmblemCache {
  std::map<LayerKey, Layers> layers;
  int builds = 0;
};
EmblemCache& Cache() {
  static EmblemCache cache;
  return cache;
}

GraphicsState Save(GpGraphics* g) {
  GraphicsState s = 0;
  gp::GdipSaveGraphics(g, &s);
  return s;
}

void RotateAbout(GpGraphics* g, float cx, float cy, float degrees) {
  gp::GdipTranslateWorldTransform(g, cx, cy, MatrixOrderPrepend);
  gp::GdipRotateWorldTransform(g, degrees, MatrixOrderPrepend);
  gp::GdipTranslateWorldTransform(g, -cx, -cy, MatrixOrderPrepend);
}

void FillWith(GpGraphics* g, GpPath* path, const Color& color) {
  GpSolidFill* brush = nullptr;
  gp::GdipCreateSolidFill(color, &brush);
  detail::NoteStatus(gp::GdipFillPath(g, brush, path));
  gp::GdipDeleteBrush(brush);
}

// [SECTION] Layer contents, in the 400 x 400 emblem box

void DrawGlow(GpGraphics* g) {
  GpPath* ellipse = nullptr;
  gp::GdipCreatePath(FillModeAlternate, &ellipse);
  gp::GdipAddPathEllipse(ellipse, 10, 15, 380, 380);
  GpPathGradient* glow = nullptr;
  gp::GdipCreatePathGradientFromPath(ellipse, &glow);
  const PointF centre(200, 205);
  gp::GdipSetPathGradientCenterPoint(glow, &centre);
  gp::GdipSetPathGradientCenterColor(glow, Fade(Palette::sun, 0.3f));
  ARGB rim = Palette::sun & 0x00FFFFFFu;
  INT one = 1;
  gp::GdipSetPathGradientSurroundColorsWithCount(glow, &rim, &one);
  detail::NoteStatus(gp::GdipFillPath(g, glow, ellipse));
  gp::GdipDeleteBrush(glow);
  gp::GdipDeletePath(ellipse);
}

// Which kept step of the dashes stands for the ring turned by ring_angle degrees.
int RingStep(float ring_angle) {
  const float turned = std::fmod(std::fmod(ring_angle, kRingRepeat) + kRingRepeat, kRingRepeat);
  return static_cast<int>(turned / kRingRepeat * kRingSteps) % kRingSteps;
}

void DrawRingDashes(GpGraphics* g, int step) {
  const GraphicsState saved = Save(g);
  RotateAbout(g, 200, 205, kRingRepeat * static_cast<float>(step) / kRingSteps);
  GpPen* dashes = nullptr;
  gp::GdipCreatePen1(Fade(Palette::gold, 0.35f), 2, UnitWorld, &dashes);
  const REAL pattern[2] = {1.0f, 4.5f};
  gp::GdipSetPenDashArray(dashes, pattern, 2);
  detail::NoteStatus(gp::GdipDrawEllipse(g, dashes, 32, 37, 336, 336));
  gp::GdipDeletePen(dashes);
  gp::GdipRestoreGraphics(g, saved);
}

void DrawRingStars(GpGraphics* g, float ring_angle) {
  const GraphicsState saved = Save(g);
  RotateAbout(g, 200, 205, ring_angle);
  FillStar(200, 37, 8, Palette::gold);
  FillStar(362, 204, 6, Fade(Palette::gold, 0.7f));
  FillStar(40, 206, 6, Fade(Palette::gold, 0.7f));
  gp::GdipRestoreGraphics(g, saved);
}

void DrawFrontLayer(GpGraphics* g) {
  GraphicsState saved = Save(g);
  RotateAbout(g, 200, 205, -12);
  StrokeCircle(200, 205, 140, Fade(Palette::focus, 0.9f), 10);
  DrawLine(60, 205, 340, 205, Fade(Palette::focus, 0.5f), 3);
  gp::GdipRestoreGraphics(g, saved);

  const PointF star[10] = {
      PointF(200, 68),          PointF(217.784f, 115.52f), PointF(268.472f, 117.752f), PointF(228.728f, 149.36f),
      PointF(242.336f, 198.248f), PointF(200, 170.24f),    PointF(157.664f, 198.248f), PointF(171.272f, 149.36f),
      PointF(131.528f, 117.752f), PointF(182.216f, 115.52f)};
  const PointF from(128, 68), to(272, 212);
  GpLineGradient* shine = nullptr;
  gp::GdipCreateLineBrush(&from, &to, Palette::gold, Palette::accent, WrapModeTile, &shine);
  detail::NoteStatus(gp::GdipFillPolygon(g, shine, star, 10, FillModeAlternate));
  gp::GdipDeleteBrush(shine);

  struct Streak {
    float x1, x2, y, width;
  };
  for (const Streak& s : {Streak{28, 92, 236, 5}, Streak{48, 108, 258, 4}, Streak{20, 86, 280, 3}}) {
    GpPen* pen = nullptr;
    gp::GdipCreatePen1(Fade(Palette::text, 0.55f), s.width, UnitWorld, &pen);
    gp::GdipSetPenStartCap(pen, LineCapRound);
    gp::GdipSetPenEndCap(pen, LineCapRound);
    detail::NoteStatus(gp::GdipDrawLine(g, pen, s.x1, s.y, s.x2, s.y));
    gp::GdipDeletePen(pen);
  }
  TruckBadge(95, 160, 230, 140);
  const Color dust = Fade(Palette::gold, 0.8f);
  FillCircle(96, 318, 5, dust);
  FillCircle(80, 306, 3.5f, dust);
  FillCircle(112, 332, 3, dust);
  FillCircle(70, 326, 2.5f, dust);
}

// Renders one layer of the emblem at (x, y, size) into the pixel rectangle.
std::unique_ptr<Layer> RenderEmblemLayer(GpMatrix* frame_transform, const PixelBox& box, float x, float y, float size,
                                         const std::function<void(GpGraphics*)>& draw) {
  return RenderLayer(frame_transform, box, [&](GpGraphics* g) {
    gp::GdipTranslateWorldTransform(g, x, y, MatrixOrderPrepend);
    gp::GdipScaleWorldTransform(g, size / 400, size / 400, MatrixOrderPrepend);
    draw(g);
  });
}

void DrawBack(GpGraphics* g, int step) {
  DrawGlow(g);
  DrawRingDashes(g, step);
}

}  // namespace

void Emblem(float x, float y, float size, float ring_angle) {
  GpGraphics* g = detail::FrameGraphics();
  if (!g || !IsVisible(x, y, size, size)) return;

  const ArtPlacement at(g, x, y, size, size);
  const PixelBox& box = at.box;
  const LayerKey key(box.x, box.y, box.w, box.h, static_cast<int>(std::lround(at.m[0] * 1000)),
                     static_cast<int>(std::lround(at.m[3] * 1000)));

  EmblemCache& cache = Cache();
  const int step = RingStep(ring_angle);
  auto back_at = [&](int k) { return [k](GpGraphics* layer) { DrawBack(layer, k); }; };
  auto it = cache.layers.find(key);
  if (it == cache.layers.end()) {
    if (cache.layers.size() >= kMaxCachedEmblems) cache.layers.clear();
    Layers layers;
    layers.back[step] = RenderEmblemLayer(at.transform, box, x, y, size, back_at(step));
    if (layers.back[step]) layers.front = RenderEmblemLayer(at.transform, box, x, y, size, DrawFrontLayer);
    ++cache.builds;
    // Without memory for both layers nothing is kept: this frame draws the emblem
    // directly and the next one tries again.
    if (layers.front) {
      it = cache.layers.emplace(key, std::move(layers)).first;
      AtGdiplusStop(ForgetEmblemLayers);
    }
  } else if (!it->second.back[step]) {
    it->second.back[step] = RenderEmblemLayer(at.transform, box, x, y, size, back_at(step));
  }
  const bool cached = it != cache.layers.end() && it->second.back[step];
  if (cached) PutLayer(*it->second.back[step], box, false);
  const GraphicsState saved = Save(g);
  gp::GdipTranslateWorldTransform(g, x, y, MatrixOrderPrepend);
  gp::GdipScaleWorldTransform(g, size / 400, size / 400, MatrixOrderPrepend);
  if (!cached) DrawBack(g, step);
  DrawRingStars(g, ring_angle);
  if (!cached) DrawFrontLayer(g);
  gp::GdipRestoreGraphics(g, saved);
  if (cached) PutLayer(*it->second.front, box, false);
}

void TruckBadge(float x, float y, float w, float h) {
  GpGraphics* g = detail::FrameGraphics();
  if (!g) return;
  const GraphicsState saved = Save(g);
  gp::GdipTranslateWorldTransform(g, x, y, MatrixOrderPrepend);
  gp::GdipScaleWorldTransform(g, w / 230, h / 140, MatrixOrderPrepend);
  gp::GdipTranslateWorldTransform(g, -90, -160, MatrixOrderPrepend);
  RotateAbout(g, 205, 250, -10);

  GpPen* outline = nullptr;
  gp::GdipCreatePen1(Palette::text, 6, UnitWorld, &outline);
  gp::GdipSetPenLineJoin(outline, LineJoinRound);
  GpPath* body = ParseIconPath(kTruckBody);
  FillWith(g, body, Palette::ink);
  detail::NoteStatus(gp::GdipDrawPath(g, outline, body));
  gp::GdipDeletePath(body);
  GpPath* window = ParseIconPath(kTruckWindow);
  FillWith(g, window, Palette::focus);
  gp::GdipDeletePath(window);

  GpPen* stripe = nullptr;
  gp::GdipCreatePen1(Palette::accent, 7, UnitWorld, &stripe);
  detail::NoteStatus(gp::GdipDrawLine(g, stripe, 118, 236, 300, 236));
  gp::GdipDeletePen(stripe);

  GpPen* hub = nullptr;
  gp::GdipCreatePen1(Palette::gold, 7, UnitWorld, &hub);
  const REAL pattern[2] = {0.857f, 1.0f};
  gp::GdipSetPenDashArray(hub, pattern, 2);
  GpSolidFill* ink = nullptr;
  gp::GdipCreateSolidFill(Palette::ink, &ink);
  for (float wx : {110.0f, 240.0f}) {
    gp::GdipFillEllipse(g, ink, wx, 230, 64, 64);
    gp::GdipDrawEllipse(g, outline, wx, 230, 64, 64);
    gp::GdipDrawEllipse(g, hub, wx + 10, 240, 44, 44);
  }
  gp::GdipDeleteBrush(ink);
  gp::GdipDeletePen(hub);
  gp::GdipDeletePen(outline);
  gp::GdipRestoreGraphics(g, saved);
}

int EmblemCacheSize() { return static_cast<int>(Cache().layers.size()); }
int EmblemLayerBuilds() { return Cache().builds; }
void ForgetEmblemLayers() { Cache().layers.clear(); }

}  // namespace art
