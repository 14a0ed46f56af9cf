#include "art/backdrop.h"

#include <algorithm>
#include <memory>

#include "ui/context.h"
#include "ui/draw.h"
#include "ui/gdiplus_session.h"
#include "ui/icons.h"
#include "ui/layer.h"

namespace art {

// The art is drawn with the toolkit's primitives and GDI+ paths throughout.
using namespace ui;
using namespace Gdiplus;

namespace {

const char kMountains[] =
    "M0 170 L120 120 L210 150 L330 88 L430 140 L520 110 L640 160 L760 96 L860 132 L980 70 L1090 128 "
    "L1180 100 L1280 140 L1280 270 L0 270 Z";
const char kHills[] =
    "M0 128 C 120 116, 220 136, 340 122 S 560 106, 700 120 C 800 128, 880 128, 960 118 C 1000 116, "
    "1050 108, 1080 92 C 1086 89, 1094 90, 1100 96 C 1118 114, 1200 130, 1280 126 L1280 270 L0 270 Z";
const char kTrees[] =
    "M1132.0 84.0 L1139.6 97.6 L1136.7 97.6 L1144.6 110.8 L1140.4 110.8 L1148.8 120.8 L1133.7 120.8 "
    "L1133.7 128.0 L1130.3 128.0 L1130.3 120.8 L1115.2 120.8 L1123.6 110.8 L1119.4 110.8 L1127.3 97.6 "
    "L1124.4 97.6 Z M1158.0 96.0 L1163.7 106.2 L1161.5 106.2 L1167.5 116.1 L1164.3 116.1 L1170.6 123.6 "
    "L1159.3 123.6 L1159.3 130.0 L1156.7 130.0 L1156.7 123.6 L1145.4 123.6 L1151.7 116.1 L1148.5 116.1 "
    "L1154.5 106.2 L1152.3 106.2 Z M1214.0 82.0 L1222.7 97.6 L1219.4 97.6 L1228.5 112.8 L1223.7 112.8 "
    "L1233.3 124.3 L1215.9 124.3 L1215.9 132.0 L1212.1 132.0 L1212.1 124.3 L1194.7 124.3 L1204.3 112.8 "
    "L1199.5 112.8 L1208.6 97.6 L1205.3 97.6 Z M1246.0 93.0 L1252.4 104.6 L1250.0 104.6 L1256.7 115.8 "
    "L1253.1 115.8 L1260.3 124.3 L1247.4 124.3 L1247.4 131.0 L1244.6 131.0 L1244.6 124.3 L1231.7 124.3 "
    "L1238.9 115.8 L1235.3 115.8 L1242.0 104.6 L1239.6 104.6 Z M392.0 92.0 L398.4 103.6 L396.0 103.6 "
    "L402.7 114.8 L399.1 114.8 L406.3 123.3 L393.4 123.3 L393.4 130.0 L390.6 130.0 L390.6 123.3 L377.7 "
    "123.3 L384.9 114.8 L381.3 114.8 L388.0 103.6 L385.6 103.6 Z M414.0 99.0 L418.9 107.8 L417.1 107.8 "
    "L422.2 116.4 L419.5 116.4 L424.9 122.9 L415.1 122.9 L415.1 129.0 L412.9 129.0 L412.9 122.9 L403.1 "
    "122.9 L408.5 116.4 L405.8 116.4 L410.9 107.8 L409.1 107.8 Z ";
const char kForeground[] =
    "M0 214 C 180 180, 320 236, 520 204 S 880 168, 1060 206 S 1220 196, 1280 188 L1280 270 L0 270 Z";

constexpr float kBandTop = 460;  // the silhouettes' 1280 x 270 box starts here

// Process-lifetime caches, GUI thread only; freed when GDI+ stops.
struct BackdropCache {
  std::unique_ptr<Layer> layer;  // sky, glows and silhouettes
  int layer_width = 0, layer_height = 0;
  ArtCache ground;                // foreground hill and kerb, for the current window size only
  BackdropCache() { ground.limit = 1; }
  GpPath* silhouettes = nullptr;
  GpPath* foreground = nullptr;
  int builds = 0;
};
BackdropCache& Cache() {
  static BackdropCache cache;
  return cache;
}
void ReleaseCache() {
  BackdropCache& c = Cache();
  c.layer.reset();
  c.ground.layers.clear();
  if (c.silhouettes) gp::GdipDeletePath(c.silhouettes);
  if (c.foreground) gp::GdipDeletePath(c.foreground);
  const int builds = c.builds;
  c = BackdropCache();
  c.builds = builds;
}

// Mountains, hills and trees as one outline. All three run clockwise, so the nonzero
// (winding) fill covers their union once: overlaps are not darkened twice, and unlike a
// region fill the edges are anti-aliased.
GpPath* Silhouettes() {
  BackdropCache& c = Cache();
  if (c.silhouettes) return c.silhouettes;
  gp::GdipCreatePath(FillModeWinding, &c.silhouettes);
  for (const char* outline : {kMountains, kHills, kTrees}) {
    GpPath* path = ParseIconPath(outline);
    gp::GdipAddPathPath(c.silhouettes, path, FALSE);
    gp::GdipDeletePath(path);
  }
  AtGdiplusStop(ReleaseCache);
  return c.silhouettes;
}

GpPath* Foreground() {
  BackdropCache& c = Cache();
  if (!c.foreground) {
    c.foreground = ParseIconPath(kForeground);
    AtGdiplusStop(ReleaseCache);
  }
  return c.foreground;
}

// Enters the 1280 x 270 band box at (left, 460), stretched to span design units.
GraphicsState EnterBand(GpGraphics* g, float left, float span) {
  GraphicsState saved = 0;
  gp::GdipSaveGraphics(g, &saved);
  gp::GdipTranslateWorldTransform(g, left, kBandTop, MatrixOrderPrepend);
  gp::GdipScaleWorldTransform(g, span / 1280.0f, 1.0f, MatrixOrderPrepend);
  return saved;
}

struct Edges {
  float left, right, span, top, bottom;
};
Edges ViewEdges() {
  const Context& c = Ctx();
  Edges e;
  e.left = c.view_left - 2;
  e.right = c.view_right + 2;
  e.span = e.right - e.left;
  e.top = -2 - c.offset_y / c.scale;
  e.bottom = (static_cast<float>(c.height) - c.offset_y) / c.scale + 2;
  return e;
}

void DrawStaticArt(const Edges& e);

void RenderStaticLayer(const Edges& e) {
  const Context& c = Ctx();
  BackdropCache& cache = Cache();
  GpMatrix* canvas = nullptr;
  gp::GdipCreateMatrix2(c.scale, 0, 0, c.scale, c.offset_x, c.offset_y, &canvas);
  PixelBox whole;
  whole.w = c.width;
  whole.h = c.height;
  cache.layer = RenderLayer(canvas, whole, [&](GpGraphics*) { DrawStaticArt(e); });
  gp::GdipDeleteMatrix(canvas);
  cache.layer_width = c.width;
  cache.layer_height = c.height;
  ++cache.builds;
  if (cache.layer) AtGdiplusStop(ReleaseCache);
}

// Sky, glows and silhouettes through the current target, which has the canvas transform.
void DrawStaticArt(const Edges& e) {
  GpGraphics* g = detail::FrameGraphics();
  FillRect(e.left, e.top, e.span, e.bottom - e.top, Palette::bg1);
  const PointF sky_top(0, std::min(e.top, 0.0f)), sky_bottom(0, 461);
  GpLineGradient* sky = nullptr;
  gp::GdipCreateLineBrush(&sky_top, &sky_bottom, Palette::bg0, Palette::bg1, WrapModeTile, &sky);
  gp::GdipFillRectangle(g, sky, e.left, e.top, e.span, 461 - e.top);
  gp::GdipDeleteBrush(sky);

  PushClip(e.left, 200, e.span, e.bottom - 200);
  Glow((e.left + e.right) / 2, 640, 0.78f * e.span, 330, 0.42f, 0.13f);
  Glow(1024, 600, 480, 250, 0.32f, 0.10f);
  PopState();

  const GraphicsState band = EnterBand(g, e.left, e.span);
  GpSolidFill* shade = nullptr;
  gp::GdipCreateSolidFill(Fade(Palette::ink, 0.55f), &shade);
  gp::GdipFillPath(g, shade, Silhouettes());
  gp::GdipDeleteBrush(shade);
  gp::GdipRestoreGraphics(g, band);
}

void DrawKerb(const Edges& e) {
  if (!IsVisible(e.left, 706, e.span, 14)) return;
  PushClip(e.left, 706, e.span, 14);
  GpPath* kerb = nullptr;
  gp::GdipCreatePath(FillModeAlternate, &kerb);
  for (float x = e.left - 20; x < e.right + 20; x += 17.65f) {
    const PointF piece[4] = {PointF(x + 6.5f, 706), PointF(x + 13.1f, 706), PointF(x + 6.6f, 720), PointF(x, 720)};
    gp::GdipAddPathPolygon(kerb, piece, 4);
  }
  GpSolidFill* paint = nullptr;
  gp::GdipCreateSolidFill(Fade(Palette::gold, 0.2f), &paint);
  detail::NoteStatus(gp::GdipFillPath(detail::FrameGraphics(), paint, kerb));
  gp::GdipDeleteBrush(paint);
  gp::GdipDeletePath(kerb);
  PopState();
}

}  // namespace

void Glow(float cx, float cy, float rx, float ry, float a_centre, float a_mid) {
  GpGraphics* g = detail::FrameGraphics();
  if (!g) return;
  GpPath* ellipse = nullptr;
  gp::GdipCreatePath(FillModeAlternate, &ellipse);
  gp::GdipAddPathEllipse(ellipse, cx - rx, cy - ry, 2 * rx, 2 * ry);
  GpPathGradient* brush = nullptr;
  gp::GdipCreatePathGradientFromPath(ellipse, &brush);
  const PointF centre(cx, cy);
  gp::GdipSetPathGradientCenterPoint(brush, &centre);
  gp::GdipSetPathGradientCenterColor(brush, Fade(Palette::sun, a_centre));
  ARGB rim = Palette::sun & 0x00FFFFFFu;
  INT one = 1;
  gp::GdipSetPathGradientSurroundColorsWithCount(brush, &rim, &one);
  const ARGB colors[3] = {rim, Fade(Palette::sun, a_mid), Fade(Palette::sun, a_centre)};
  const REAL positions[3] = {0.0f, 0.45f, 1.0f};
  gp::GdipSetPathGradientPresetBlend(brush, colors, positions, 3);
  detail::NoteStatus(gp::GdipFillPath(g, brush, ellipse));
  gp::GdipDeleteBrush(brush);
  gp::GdipDeletePath(ellipse);
}

void Backdrop(const std::function<void(float, float)>& truck) {
  const Context& c = Ctx();
  GpGraphics* g = detail::FrameGraphics();
  if (!g || c.width <= 0 || c.height <= 0) return;
  const Edges e = ViewEdges();
  BackdropCache& cache = Cache();
  if (!cache.layer || cache.layer_width != c.width || cache.layer_height != c.height) RenderStaticLayer(e);
  if (cache.layer) {
    PixelBox whole;
    whole.w = c.width;
    whole.h = c.height;
    PutLayer(*cache.layer, whole, true);
  } else {
    DrawStaticArt(e);  // no memory for the layer this time: straight into the frame
  }

  if (truck) truck(e.left, e.span / 1280.0f);

  // The ground in front of the truck is static too: a layer of its own, blended over.
  // Partial frames mostly repaint the sky: it is skipped unless the clip reaches it (the
  // hill's outline never rises above band y 168).
  const float ground_top = kBandTop + 168;
  if (IsVisible(e.left, ground_top, e.span, e.bottom - ground_top)) {
    AtGdiplusStop(ReleaseCache);
    DrawCachedArt(cache.ground, e.left, ground_top, e.span, e.bottom - ground_top, [&](GpGraphics* target) {
      const GraphicsState band = EnterBand(target, e.left, e.span);
      GpSolidFill* ink = nullptr;
      gp::GdipCreateSolidFill(Palette::ink, &ink);
      detail::NoteStatus(gp::GdipFillPath(target, ink, Foreground()));
      gp::GdipDeleteBrush(ink);
      gp::GdipRestoreGraphics(target, band);
      if (e.bottom > 720) FillRect(e.left, 719, e.span, e.bottom - 719, Palette::ink);
      DrawKerb(e);
    });
  }
}

int BackdropLayerBuilds() { return Cache().builds; }

}  // namespace art
