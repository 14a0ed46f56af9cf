// Off-screen layers: 32-bit premultiplied bitmaps at the window's pixel resolution that
// keep static art (the backdrop, the emblem) so that frames only copy it.
#pragma once

#include <memory>

#include "ui/gdiplus_api.h"

namespace ui {

// A width x height PixelFormat32bppPARGB bitmap, or null when it cannot be made (out of
// memory, or a size GDI+ refuses). Callers that cache a layer try again on a later frame.
std::unique_ptr<Gdiplus::Bitmap> NewLayerBitmap(int width, int height);

namespace detail {
// The next `count` NewLayerBitmap calls fail as if memory had run out (for tests).
void FailNextLayerBitmaps(int count);
}  // namespace detail

}  // namespace ui
