#include "ui/layer.h"

namespace ui {

namespace {
int failures_to_come = 0;  // GUI thread only
}  // namespace

std::unique_ptr<Gdiplus::Bitmap> NewLayerBitmap(int width, int height) {
  if (failures_to_come > 0) {
    --failures_to_come;
    return nullptr;
  }
  if (width <= 0 || height <= 0) return nullptr;
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
  if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return bitmap;
}

void detail::FailNextLayerBitmaps(int count) { failures_to_come = count; }

}  // namespace ui
