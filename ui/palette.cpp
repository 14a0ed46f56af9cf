#include "ui/palette.h"

#include <cmath>

namespace ui {
namespace {
uint32_t Saturate(float v) {
  // NaN and negatives alike end at 0.
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  return static_cast<uint32_t>(v);
}
}  // namespace

Color Fade(const Color& color, float factor) {
  const float alpha = static_cast<float>(color >> 24);
  const uint32_t a = Saturate(std::trunc(alpha * factor + 0.5f));
  return (a << 24) | (color & 0x00FFFFFFu);
}

Color Mix(const Color& a, const Color& b, float t) {
  Color out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float ca = static_cast<float>((a >> shift) & 0xFF);
    const float cb = static_cast<float>((b >> shift) & 0xFF);
    out |= Saturate(std::trunc(t * (cb - ca) + ca + 0.5f)) << shift;
  }
  return out;
}

}  // namespace ui
