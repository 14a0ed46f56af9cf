#include "launcher/back_buffer.h"

bool MakeBackBuffer(BackBuffer* b, HDC reference_dc, int width, int height) {
  FreeBackBuffer(b);
  if (width < 1 || height < 1) return false;
  HDC screen = reference_dc ? nullptr : GetDC(nullptr);
  b->dc = CreateCompatibleDC(reference_dc ? reference_dc : screen);
  if (screen) ReleaseDC(nullptr, screen);
  if (!b->dc) return false;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  b->bitmap = CreateDIBSection(b->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!b->bitmap || !bits) {
    FreeBackBuffer(b);
    return false;
  }
  b->old_bitmap = SelectObject(b->dc, b->bitmap);
  b->pixels = static_cast<uint32_t*>(bits);
  b->width = width;
  b->height = height;
  return true;
}

void FreeBackBuffer(BackBuffer* b) {
  if (b->dc && b->old_bitmap) SelectObject(b->dc, b->old_bitmap);
  if (b->bitmap) DeleteObject(b->bitmap);
  if (b->dc) DeleteDC(b->dc);
  *b = BackBuffer();
}
