#include "launcher/window_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

SIZE FitToWorkArea(int w, int h, const RECT& work) {
  const int avail_w = (work.right - work.left) - 40, avail_h = (work.bottom - work.top) - 40;
  if ((w > avail_w || h > avail_h) && w > 0 && h > 0 && avail_w > 0 && avail_h > 0) {
    const double k = std::min(static_cast<double>(avail_w) / w, static_cast<double>(avail_h) / h);
    w = static_cast<int>(w * k);
    h = static_cast<int>(h * k);
  }
  return SIZE{w, h};
}

}  // namespace

RECT DesignToPixels(float scale, float offset_x, float offset_y, float x0, float y0, float x1, float y1,
                    float margin) {
  RECT r;
  r.left = static_cast<LONG>(std::floor(x0 * scale + offset_x - margin));
  r.top = static_cast<LONG>(std::floor(y0 * scale + offset_y - margin));
  r.right = static_cast<LONG>(std::ceil(x1 * scale + offset_x + margin));
  r.bottom = static_cast<LONG>(std::ceil(y1 * scale + offset_y + margin));
  return r;
}

RECT InitialWindowRect(int dpi, const RECT& work) {
  const SIZE size = FitToWorkArea(MulDiv(1280, dpi, 96), MulDiv(720, dpi, 96), work);
  RECT r;
  r.left = work.left + ((work.right - work.left) - size.cx) / 2;
  r.top = work.top + ((work.bottom - work.top) - size.cy) / 2;
  r.right = r.left + size.cx;
  r.bottom = r.top + size.cy;
  return r;
}

SIZE MinimumWindowSize(int dpi, const RECT& work) {
  return FitToWorkArea(MulDiv(1024, dpi, 96), MulDiv(576, dpi, 96), work);
}

// Per-monitor v2 (the context -4), looked up at run time: older Windows lack the call.
void SetDpiAwareness() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto set_context = user32 ? reinterpret_cast<SetContextFn>(
                                  reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                            : nullptr;
  if (set_context) set_context(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)));
}
