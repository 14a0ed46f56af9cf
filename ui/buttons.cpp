#include "ui/buttons.h"

#include <cwctype>

#include "ui/access.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/gdiplus_session.h"
#include "ui/icons.h"
#include "ui/interaction.h"
#include "ui/layer.h"
#include "ui/text.h"

namespace ui {

using namespace Gdiplus;

std::wstring UpperCase(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) c = static_cast<wchar_t>(towupper(c));
  return out;
}

namespace {

void Note(Status status) { detail::NoteStatus(status); }

float WidthOfUpper(const std::wstring& upper) { return MeasureTextSpaced(upper, FontRole::Display, 17, 0.12f) + 52; }

// Fills (x, y, w, h) rounded by 6 with the three-stop accent gradient at 10 degrees.
void FillAccentBody(GpPath* path, float x, float y, float w, float h) {
  const RectF area(x, y, w, h);
  GpLineGradient* brush = nullptr;
  Note(gp::GdipCreateLineBrushFromRectWithAngle(&area, Palette::accent, Palette::gold, 10, FALSE,
                                                WrapModeTile, &brush));
  const ARGB colors[3] = {Palette::accent, 0xFFFF8A1E, Palette::gold};
  const REAL positions[3] = {0.0f, 0.45f, 1.0f};
  gp::GdipSetLinePresetBlend(brush, colors, positions, 3);
  Note(gp::GdipFillPath(detail::FrameGraphics(), brush, path));
  gp::GdipDeleteBrush(brush);
}

// The big button under its label: glow, body, highlights and focus ring, per placement and
// state. GUI thread only; freed when GDI+ stops.
ArtCache& Bodies() {
  static ArtCache cache;
  return cache;
}
void ForgetBodies() { Bodies().layers.clear(); }

void PlayTriangle(float tx, float cy, float iw) {
  const PointF points[3] = {PointF(tx + 0.1f * iw, cy - 0.4f * iw), PointF(tx + 0.9f * iw, cy),
                            PointF(tx + 0.1f * iw, cy + 0.4f * iw)};
  FillPolygon(points, 3, Palette::on_accent);
}

}  // namespace

bool PlayButton(const std::wstring& label, float x, float y, float w, float h, bool show_icon,
                bool icon_after) {
  const Context& c = Ctx();
  const int id = Focusable(x, y, w, h);
  if (AccessRecording()) detail::DescribeWidget(id, AccessRole::kButton, label, L"Press");
  const bool hovered = Hovered(x, y, w, h);
  const float cx = x + w / 2, cy = y + h / 2;

  if (IsVisible(x - 50, y - 30, w + 100, h + 70)) {
    PushSkew(cx, cy, -14);
    // Everything under the label is the same from frame to frame for a hover and focus
    // state, so it is drawn once per placement and state and then only put into frames.
    const bool ring = IsFocused(id) && c.focus_visible;
    AtGdiplusStop(ForgetBodies);
    DrawCachedArt(Bodies(), x - 24, y - 14, w + 48, h + 48, [&](GpGraphics* g) {
      for (int n = 8; n >= 1; --n) {
        const float s = 3.0f * n;
        FillRoundRect(x - s, y + 10 - s, w + 2 * s, h + 2 * s, s + 6, Fade(Palette::accent, 0.035f));
      }
      GpPath* body = nullptr;
      gp::GdipCreatePath(FillModeAlternate, &body);
      AddRoundRect(body, x, y, w, h, 6);
      FillAccentBody(body, x, y, w, h);
      if (hovered) {
        GpSolidFill* white = nullptr;
        gp::GdipCreateSolidFill(0x1EFFFFFF, &white);
        Note(gp::GdipFillPath(g, white, body));
        gp::GdipDeleteBrush(white);
      }
      gp::GdipDeletePath(body);

      PushClip(x, y, w, h);
      FillRect(x + 6, y, w - 12, 2, 0x73FFFFFF);
      FillRect(x + 6, y + h - 4, w - 12, 4, 0x2E000000);
      const float e = x + w - 18;
      for (float p : {e - 40, e - 31, e - 22, e - 13, e - 4}) FillRect(p, y + 14, 3, h - 28, 0x46FFFFFF);
      PopState();

      if (ring) StrokeRoundRect(x - 5, y - 5, w + 10, h + 10, 9, Palette::text, 3);
    }, (hovered ? 1 : 0) | (ring ? 2 : 0));
    PopState();

    const float size = h * 36.0f / 74.0f;
    const float lw = MeasureTextSpaced(label, FontRole::Display, size, 0.14f);
    const float iw = show_icon ? 20.0f * size / 36.0f : 0.0f;
    const float gap = show_icon ? 12.0f : 0.0f;
    float px = cx - (iw + lw + gap) / 2;
    if (show_icon && !icon_after) {
      PlayTriangle(px, cy, iw);
      px += iw + gap;
    }
    DrawText(label, FontRole::Display, size, px, cy - 0.6f * size, Palette::on_accent, kAlignLeft, 0.14f);
    if (show_icon && icon_after) PlayTriangle(px + lw + gap, cy, iw);
  }
  return Activated(id, x, y, w, h);
}

bool Button(const std::wstring& label, float x, float y, float* out_width, bool enabled) {
  const Context& c = Ctx();
  const std::wstring upper = UpperCase(label);
  const float w = WidthOfUpper(upper);
  if (out_width) *out_width = w;
  const int id = Focusable(x, y, w, 44);
  if (AccessRecording())
    detail::DescribeWidget(id, AccessRole::kButton, upper, enabled ? L"Press" : L"", enabled ? 0u : kAccessDisabled);
  const bool hot = Hovered(x, y, w, 44) && enabled;

  PushSkew(x + w / 2, y + 22, -14);
  FillRoundRect(x, y, w, 44, 4, Fade(Palette::panel, 0.7f));
  const Color border = hot ? Palette::gold : Fade(Palette::text, enabled ? 0.35f : 0.15f);
  StrokeRoundRect(x, y, w, 44, 4, border, 2);
  if (IsFocused(id) && c.focus_visible) StrokeRoundRect(x - 4, y - 4, w + 8, 52, 7, Palette::focus, 2);
  PopState();
  DrawText(upper, FontRole::Display, 17, x + 26, y + 22 - 10.2f, enabled ? Palette::text : Palette::text_dim,
           kAlignLeft, 0.12f);
  return enabled && Activated(id, x, y, w, 44);
}

float ButtonWidth(const std::wstring& label) { return WidthOfUpper(UpperCase(label)); }

bool LinkButton(const std::wstring& label, float x, float y, float size, const Color& color,
                bool show_chevron, float* out_width, int align) {
  const Context& c = Ctx();
  const float tw = MeasureText(label, FontRole::Semibold, size);
  const float cw = show_chevron ? 0.6f * size + 6 : 0.0f;
  const float total = tw + cw;
  if (align == kAlignRight) x -= total;
  if (out_width) *out_width = total;
  const float rx = x - 2, ry = y - 2, rw = total + 4, rh = 1.4f * size + 4;
  const int id = Focusable(rx, ry, rw, rh);
  if (AccessRecording()) detail::DescribeWidget(id, AccessRole::kLink, label, L"Press");
  const Color ink = Hovered(rx, ry, rw, rh) ? Mix(color, Palette::text, 0.35f) : color;

  DrawText(label, FontRole::Semibold, size, x, y + 0.1f * size, ink, kAlignLeft, 0);
  if (show_chevron) DrawIcon("chev", x + tw + 6, y + 0.7f * size - 0.3f * size, 0.6f * size, ink, 2.4f);
  if (IsFocused(id) && c.focus_visible) {
    const float uy = y + 1.4f * size + 1;
    DrawLine(x, uy, x + total, uy, Palette::gold, 2);
  }
  return Activated(id, rx, ry, rw, rh);
}

bool IconButton(const char* icon, float x, float y, const std::wstring& label, float* out_width) {
  const Context& c = Ctx();
  const float w = label.empty() ? 24.0f : MeasureText(label, FontRole::Semibold, 15) + 24;
  if (out_width) *out_width = w;
  const float rx = x - 4, ry = y - 4, rw = w + 8, rh = 30;
  const int id = Focusable(rx, ry, rw, rh);
  // An icon alone is named by the icon.
  if (AccessRecording())
    detail::DescribeWidget(id, AccessRole::kButton, label.empty() ? Utf8ToWide(icon) : label, L"Press");
  const bool hovered = Hovered(rx, ry, rw, rh);

  DrawIcon(icon, x, y + 3, 16, Palette::gold, 1.8f);
  DrawText(label, FontRole::Semibold, 15, x + 24, y + 2, hovered ? Palette::text : Fade(Palette::text, 0.85f),
           kAlignLeft, 0);
  if (IsFocused(id) && c.focus_visible) DrawLine(x, y + 25, x + w, y + 25, Palette::gold, 2);
  return Activated(id, rx, ry, rw, rh);
}

}  // namespace ui
