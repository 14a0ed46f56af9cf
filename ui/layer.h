// Off-screen layers: static art (the backdrop's sky, the emblem, the wordmark, the big
// button's glow) rendered once at the window's pixel resolution and afterwards only put
// into frames. GDI+ draws into a layer; GDI copies or blends it into the frame, which under
// Wine costs a fraction of a GDI+ image draw.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <tuple>

#include "ui/gdiplus_api.h"
#include "ui/palette.h"

namespace ui {

// A top-down 32-bit DIB section of premultiplied ARGB pixels, with a GDI+ bitmap on the
// same pixels (PixelFormat32bppPARGB) to draw into. One GDI object each: layers share one
// memory device context, selected only while a layer is put into a frame.
struct Layer {
  int width = 0, height = 0;
  HBITMAP dib = nullptr;
  void* pixels = nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bitmap;

  Layer() = default;
  ~Layer();
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;
};

// A transparent width x height layer, or null when it cannot be made (out of memory, or a
// size GDI+ refuses). Callers that cache a layer try again on a later frame.
std::unique_ptr<Layer> NewLayer(int width, int height);

// A pixel rectangle of the frame.
struct PixelBox {
  int x = 0, y = 0, w = 0, h = 0;
};

// Renders `draw` into a new layer covering `box`: the primitives go to the layer, whose
// graphics has the frame's quality modes and `transform` moved by the box's origin, so the
// art lands on the same pixels as if drawn into the frame. Null without memory.
std::unique_ptr<Layer> RenderLayer(Gdiplus::GpMatrix* transform, const PixelBox& box,
                                   const std::function<void(Gdiplus::GpGraphics*)>& draw);

// Puts the layer's pixels into the frame with their top-left at box's origin, inside the
// frame's clip only: `opaque` copies them, otherwise they are blended over the frame
// (premultiplied source over).
void PutLayer(const Layer& layer, const PixelBox& box, bool opaque);

// Fills the frame's whole back buffer, inside its clip, with one opaque colour through
// GDI: a GDI+ fill of a full window costs tens of milliseconds under Wine.
void FillFrame(Color color);

// Static art cached per placement: a design rectangle under the frame's transform. The
// key holds the rectangle's device placement, the transform's linear part and a variant;
// `limit` caps the entries (a new one beyond it frees the others first).
struct ArtCache {
  using Key = std::tuple<int, int, int, int, int, int, int, int, int>;
  std::map<Key, std::unique_ptr<Layer>> layers;
  size_t limit = 8;
  int builds = 0;  // how often a layer was rendered
};

// Draws (x, y, w, h)'s art through the cache: rendered by `draw` into a layer the first
// time at this placement (and `variant`, for art with states), then only put into frames.
// Without memory for the layer the art is drawn straight into the frame and the layer is
// tried again next time.
void DrawCachedArt(ArtCache& cache, float x, float y, float w, float h,
                   const std::function<void(Gdiplus::GpGraphics*)>& draw, int variant = 0);

// Where art in a design rectangle lands in the frame: the frame's world transform, its six
// elements and the device pixels the rectangle covers, grown by 2 on every side.
struct ArtPlacement {
  Gdiplus::GpMatrix* transform = nullptr;  // owned
  Gdiplus::REAL m[6] = {};
  PixelBox box;

  ArtPlacement(Gdiplus::GpGraphics* g, float x, float y, float w, float h);
  ~ArtPlacement();
  ArtPlacement(const ArtPlacement&) = delete;
  ArtPlacement& operator=(const ArtPlacement&) = delete;
};

namespace detail {
// The next `count` NewLayer calls fail as if memory had run out (for tests).
void FailNextLayerBitmaps(int count);
}  // namespace detail

}  // namespace ui
