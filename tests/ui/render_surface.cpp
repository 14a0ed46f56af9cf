#include "tests/ui/render_surface.h"

#include <vector>

#include "platform/text.h"
#include "ui/canvas.h"

namespace uitest {

using namespace Gdiplus;

RenderSurface::RenderSurface(int width, int height) : width_(width), height_(height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  dc_ = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  pixels_ = static_cast<uint32_t*>(bits);
  old_bitmap_ = SelectObject(dc_, bitmap_);
  Clear(0xFF000000);
  graphics_ = new Graphics(dc_);
}

RenderSurface::~RenderSurface() {
  delete graphics_;
  SelectObject(dc_, old_bitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void RenderSurface::Clear(uint32_t argb) {
  GdiFlush();
  for (size_t i = 0, n = static_cast<size_t>(width_) * height_; i < n; ++i) pixels_[i] = argb;
}

void RenderSurface::ClipTo(const int (*rects)[4], int count) {
  GpGraphics* g = ui::detail::Native(graphics_);
  if (count == 0) {
    DllExports::GdipResetClip(g);
    return;
  }
  GpRegion* region = nullptr;
  DllExports::GdipCreateRegion(&region);
  DllExports::GdipSetEmpty(region);
  for (int i = 0; i < count; ++i) {
    const Rect r(rects[i][0], rects[i][1], rects[i][2], rects[i][3]);
    DllExports::GdipCombineRegionRectI(region, &r, CombineModeUnion);
  }
  DllExports::GdipSetClipRegion(g, region, CombineModeReplace);
  DllExports::GdipDeleteRegion(region);
}

bool RenderSurface::SavePng(const std::string& utf8_path) const {
  GdiFlush();
  UINT count = 0, size = 0;
  GetImageEncodersSize(&count, &size);
  if (size == 0) return false;
  std::vector<unsigned char> buffer(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  GetImageEncoders(count, size, codecs);
  const CLSID* png = nullptr;
  for (UINT i = 0; i < count; ++i)
    if (wcscmp(codecs[i].MimeType, L"image/png") == 0) png = &codecs[i].Clsid;
  if (!png) return false;
  // The DIB's fourth byte is not alpha for GDI; the picture is opaque.
  std::vector<uint32_t> opaque(pixels_, pixels_ + static_cast<size_t>(width_) * height_);
  for (uint32_t& p : opaque) p |= 0xFF000000u;
  GpBitmap* bitmap = nullptr;
  if (DllExports::GdipCreateBitmapFromScan0(width_, height_, width_ * 4, PixelFormat32bppARGB,
                                            reinterpret_cast<BYTE*>(opaque.data()), &bitmap) != Ok)
    return false;
  const std::wstring path = text::Utf8ToWide(utf8_path);
  const bool saved = DllExports::GdipSaveImageToFile(bitmap, path.c_str(), png, nullptr) == Ok;
  DllExports::GdipDisposeImage(bitmap);
  return saved;
}

std::string BuiltFontsDir() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring p(buf, n);
  p = p.substr(0, p.find_last_of(L"\\/") + 1);
  return text::WideToUtf8(p) + "fonts";
}

ui::Input MouseAt(float design_x, float design_y, int width, int height) {
  const ui::Canvas c = ui::ComputeCanvas(width, height);
  ui::Input in;
  in.mouse_x = c.offset_x + design_x * c.scale;
  in.mouse_y = c.offset_y + design_y * c.scale;
  return in;
}

}  // namespace uitest
