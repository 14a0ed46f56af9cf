#include "ui/layer.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "ui/context.h"
#include "ui/draw.h"

namespace ui {

using namespace Gdiplus;

namespace {
int failures_to_come = 0;  // GUI thread only

// The memory device context every layer is selected into while it is put into a frame
// (GUI thread only; lives as long as the process).
HDC LayerSource() {
  static HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

// The frame's clip in device pixels; null when it does not clip.
HRGN DeviceClip(GpGraphics* g) {
  GpRegion* region = nullptr;
  if (gp::GdipCreateRegion(&region) != Ok) return nullptr;
  GraphicsState saved = 0;
  gp::GdipSaveGraphics(g, &saved);
  gp::GdipResetWorldTransform(g);
  HRGN clip = nullptr;
  BOOL infinite = TRUE;
  if (gp::GdipGetClip(g, region) == Ok && gp::GdipIsInfiniteRegion(region, g, &infinite) == Ok && !infinite)
    gp::GdipGetRegionHRgn(region, g, &clip);  // the transform is the identity here: device pixels
  gp::GdipRestoreGraphics(g, saved);
  gp::GdipDeleteRegion(region);
  return clip;
}

// Without a device context (a graphics on a bitmap): GDI+ draws the layer itself.
void DrawLayerImage(Graphics* frame, const Layer& layer, const PixelBox& box, bool opaque) {
  GpGraphics* g = detail::Native(frame);
  GraphicsState saved = 0;
  gp::GdipSaveGraphics(g, &saved);
  gp::GdipResetWorldTransform(g);
  gp::GdipSetCompositingMode(g, opaque ? CompositingModeSourceCopy : CompositingModeSourceOver);
  gp::GdipSetInterpolationMode(g, InterpolationModeNearestNeighbor);
  gp::GdipSetPixelOffsetMode(g, PixelOffsetModeNone);
  detail::NoteStatus(
      frame->DrawImage(layer.bitmap.get(), Rect(box.x, box.y, box.w, box.h), 0, 0, box.w, box.h, UnitPixel));
  gp::GdipRestoreGraphics(g, saved);
}

}  // namespace

Layer::~Layer() {
  bitmap.reset();
  if (dib) DeleteObject(dib);
}

std::unique_ptr<Layer> NewLayer(int width, int height) {
  if (failures_to_come > 0) {
    --failures_to_come;
    return nullptr;
  }
  if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) return nullptr;
  auto layer = std::make_unique<Layer>();
  layer->width = width;
  layer->height = height;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as GDI+ lays out its rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  layer->dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &layer->pixels, nullptr, 0);
  if (!layer->dib || !layer->pixels) return nullptr;
  layer->bitmap = std::make_unique<Bitmap>(width, height, width * 4, PixelFormat32bppPARGB,
                                           static_cast<BYTE*>(layer->pixels));
  if (layer->bitmap->GetLastStatus() != Ok) return nullptr;
  return layer;
}

ArtPlacement::ArtPlacement(GpGraphics* g, float x, float y, float w, float h) {
  gp::GdipCreateMatrix(&transform);
  gp::GdipGetWorldTransform(g, transform);
  gp::GdipGetMatrixElements(transform, m);
  PointF corners[4] = {PointF(x, y), PointF(x + w, y), PointF(x, y + h), PointF(x + w, y + h)};
  gp::GdipTransformMatrixPoints(transform, corners, 4);
  float min_x = corners[0].X, min_y = corners[0].Y, max_x = min_x, max_y = min_y;
  for (const PointF& p : corners) {
    min_x = std::min(min_x, p.X), min_y = std::min(min_y, p.Y);
    max_x = std::max(max_x, p.X), max_y = std::max(max_y, p.Y);
  }
  box.x = static_cast<int>(std::floor(min_x)) - 2;
  box.y = static_cast<int>(std::floor(min_y)) - 2;
  box.w = static_cast<int>(std::ceil(max_x)) + 2 - box.x;
  box.h = static_cast<int>(std::ceil(max_y)) + 2 - box.y;
}

ArtPlacement::~ArtPlacement() { gp::GdipDeleteMatrix(transform); }

std::unique_ptr<Layer> RenderLayer(GpMatrix* transform, const PixelBox& box,
                                   const std::function<void(GpGraphics*)>& draw) {
  std::unique_ptr<Layer> layer = NewLayer(box.w, box.h);
  if (!layer) return nullptr;
  Graphics layer_graphics(layer->bitmap.get());
  GpGraphics* g = detail::Native(&layer_graphics);
  gp::GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
  gp::GdipSetTextRenderingHint(g, TextRenderingHintAntiAlias);
  gp::GdipSetPixelOffsetMode(g, PixelOffsetModeHalf);
  gp::GdipSetCompositingQuality(g, CompositingQualityHighQuality);
  gp::GdipSetWorldTransform(g, transform);
  gp::GdipTranslateWorldTransform(g, static_cast<float>(-box.x), static_cast<float>(-box.y), MatrixOrderAppend);
  ScopedDrawTarget target(&layer_graphics);
  draw(g);
  return layer;
}

namespace {

// Runs paint on the frame's device context, clipped as the frame's graphics is (a partial
// frame keeps the rest of the back buffer as it is); false when the graphics has no DC
// (it draws on a bitmap), and nothing was painted. A template: it runs for every text
// layer of a frame, and a std::function of the callers' captures would allocate.
template <typename Paint>
bool PaintThroughDc(GpGraphics* g, const Paint& paint) {
  // The clip first: while the DC is out, the graphics answers nothing.
  const HRGN clip = DeviceClip(g);
  HDC dc = nullptr;
  if (gp::GdipGetDC(g, &dc) != Ok || !dc) {
    if (clip) DeleteObject(clip);
    return false;
  }
  const int saved = SaveDC(dc);
  if (clip) ExtSelectClipRgn(dc, clip, RGN_AND);
  paint(dc);
  RestoreDC(dc, saved);
  if (clip) DeleteObject(clip);
  gp::GdipReleaseDC(g, dc);
  return true;
}

}  // namespace

void PutLayer(const Layer& layer, const PixelBox& box, bool opaque) {
  Graphics* frame = Ctx().graphics;
  GpGraphics* g = detail::Native(frame);
  if (!g) return;
  const bool painted = PaintThroughDc(g, [&](HDC dc) {
    const HDC source = LayerSource();
    const HGDIOBJ before = SelectObject(source, layer.dib);
    if (opaque) {
      BitBlt(dc, box.x, box.y, box.w, box.h, source, 0, 0, SRCCOPY);
    } else {
      const BLENDFUNCTION over = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      GdiAlphaBlend(dc, box.x, box.y, box.w, box.h, source, 0, 0, box.w, box.h, over);
    }
    SelectObject(source, before);
  });
  if (!painted) DrawLayerImage(frame, layer, box, opaque);
}

void FillFrame(Color color) {
  GpGraphics* g = detail::FrameGraphics();
  if (!g) return;
  const bool painted = PaintThroughDc(g, [&](HDC dc) {
    RECT all = {0, 0, Ctx().width, Ctx().height};
    const HBRUSH brush = CreateSolidBrush(RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  });
  if (painted) return;
  Gdiplus::GpSolidFill* brush = nullptr;
  if (gp::GdipCreateSolidFill(color, &brush) != Ok) return;
  Gdiplus::GpMatrix* saved = nullptr;
  gp::GdipCreateMatrix(&saved);
  gp::GdipGetWorldTransform(g, saved);
  gp::GdipResetWorldTransform(g);
  gp::GdipFillRectangleI(g, brush, 0, 0, Ctx().width, Ctx().height);
  gp::GdipSetWorldTransform(g, saved);
  gp::GdipDeleteMatrix(saved);
  gp::GdipDeleteBrush(brush);
}

void DrawCachedArt(ArtCache& cache, float x, float y, float w, float h,
                   const std::function<void(GpGraphics*)>& draw, int variant) {
  GpGraphics* g = detail::FrameGraphics();
  if (!g) return;
  const ArtPlacement at(g, x, y, w, h);
  // The key places the art to a thousandth of a pixel, so the cached pixels are exact.
  PointF origin(x, y);
  gp::GdipTransformMatrixPoints(at.transform, &origin, 1);
  auto thousandths = [](float v) { return static_cast<int>(std::lround(v * 1000)); };
  const ArtCache::Key key(thousandths(origin.X), thousandths(origin.Y), at.box.w, at.box.h, thousandths(at.m[0]),
                          thousandths(at.m[1]), thousandths(at.m[2]), thousandths(at.m[3]), variant);
  auto it = cache.layers.find(key);
  if (it == cache.layers.end()) {
    std::unique_ptr<Layer> layer = RenderLayer(at.transform, at.box, draw);
    ++cache.builds;
    if (layer) {
      if (cache.layers.size() >= cache.limit) cache.layers.clear();
      it = cache.layers.emplace(key, std::move(layer)).first;
    }
  }
  if (it != cache.layers.end())
    PutLayer(*it->second, at.box, false);
  else
    draw(g);  // no memory for the layer this time: straight into the frame
}

void detail::FailNextLayerBitmaps(int count) { failures_to_come = count; }

}  // namespace ui
