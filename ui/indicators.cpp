#include "ui/indicators.h"

#include <algorithm>

#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/icons.h"
#include "ui/text.h"

namespace ui {

float ChipWidth(const std::wstring& label, bool with_tick) {
  return MeasureTextSpaced(label, FontRole::Label, 11, 0.12f) + 14 + (with_tick ? 15.0f : 0.0f);
}

void Chip(const std::wstring& label, float x, float y, const Color& color, bool with_tick) {
  const float w = ChipWidth(label, with_tick);
  FillRoundRect(x, y, w, 20, 3, Fade(color, 0.14f));
  StrokeRoundRect(x, y, w, 20, 3, Fade(color, 0.45f), 1);
  float text_x = x + 7;
  if (with_tick) {
    DrawIcon("tick", x + 6, y + 5, 10, color, 3);
    text_x = x + 22;
  }
  DrawText(label, FontRole::Label, 11, text_x, y + 3, color, kAlignLeft, 0.12f);
}

void Badge(const std::wstring& text, float x, float y, float* out_width) {
  const float w = std::max(MeasureTextSpaced(text, FontRole::Label, 12, 0.06f) + 12, 24.0f);
  FillRoundRect(x, y, w, 22, 4, Palette::focus_tint);
  StrokeRoundRect(x, y, w, 22, 4, Palette::gold_tint, 1);
  DrawText(text, FontRole::Label, 12, x + w / 2, y + 4, Palette::text, kAlignCentre, 0.06f);
  if (out_width) *out_width = w;
}

void SectionTitle(const std::wstring& text, float x, float y, const Color& color) {
  PushSkew(x + 6, y + 6, -30);
  FillRect(x, y + 5, 34, 3, Palette::accent);
  PopState();
  DrawText(UpperCase(text), FontRole::Label, 13, x + 46, y - 1, color, kAlignLeft, 0.24f);
}

void ProgressBar(float x, float y, float w, float h, float fraction) {
  FillRoundRect(x, y, w, h, h / 2, Palette::line);
  if (!(fraction > 0)) return;
  const float fw = std::max(w * std::min(fraction, 1.0f), h);
  FillRoundRectGradient(x, y, fw, h, h / 2, Palette::accent, Palette::gold, 0);
}

void FocusRing(float x, float y, float w, float h, float radius) {
  if (!Ctx().focus_visible) return;
  StrokeRoundRect(x - 4, y - 4, w + 8, h + 8, radius + 3, Palette::focus, 2);
}

}  // namespace ui
