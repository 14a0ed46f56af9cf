// An off-screen 32-bit top-down DIB with a GDI+ graphics on it, as the window's back
// buffer is, for tests, the gallery and the benchmark: draw a frame, read its pixels,
// save it as a picture.
#pragma once

#include <cstdint>
#include <string>

#include "ui/gdiplus_api.h"
#include "ui/input.h"

namespace uitest {

class RenderSurface {
 public:
  RenderSurface(int width, int height);
  ~RenderSurface();
  RenderSurface(const RenderSurface&) = delete;
  RenderSurface& operator=(const RenderSurface&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  Gdiplus::Graphics* graphics() { return graphics_; }
  HDC dc() const { return dc_; }

  // 0xAARRGGBB as the DIB holds it.
  uint32_t Pixel(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  void Clear(uint32_t argb);
  // Sets a clip made of pixel rectangles {x, y, w, h}, as a partial frame does; count 0 removes it.
  void ClipTo(const int (*rects)[4], int count);
  // PNG through the GDI+ encoder.
  bool SavePng(const std::string& utf8_path) const;

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  uint32_t* pixels_ = nullptr;
  Gdiplus::Graphics* graphics_ = nullptr;
};

// The fonts folder the build places next to the test programs.
std::string BuiltFontsDir();

// A frame's input with the mouse at a design point of a width x height window.
ui::Input MouseAt(float design_x, float design_y, int width = 1280, int height = 720);

}  // namespace uitest
