#include "ui/value_controls.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "ui/access.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/icons.h"
#include "ui/interaction.h"
#include "ui/text.h"

namespace ui {

using namespace Gdiplus;

namespace {

bool KeysFor(int id) {
  const Context& c = Ctx();
  return c.focus == id && !c.consumed;
}

bool RingFor(int id) { return Ctx().focus == id && Ctx().focus_visible; }

int Modulo(int a, int n) { return ((a % n) + n) % n; }

// A choice's value is the option shown; a client may set it by the option's text.
void DescribeChoice(int id, AccessRole role, const std::vector<std::wstring>& options, int index,
                    const std::wstring& action) {
  const int n = static_cast<int>(options.size());
  const std::wstring shown = n > 0 ? options[static_cast<size_t>(std::clamp(index, 0, n - 1))] : L"(none)";
  if (AccessItem* item = detail::DescribeValue(id, role, shown, action)) item->options = options;
}

}  // namespace

// [SECTION] Segmented

bool Segmented(const std::vector<std::wstring>& options, int* index, float x, float y, int id,
               float height) {
  Context& c = Ctx();
  const int count = static_cast<int>(options.size());
  std::vector<float> widths(options.size());
  float total = 0;
  for (size_t i = 0; i < options.size(); ++i) {
    widths[i] = MeasureText(options[i], FontRole::Semibold, 14) + 32;
    total += widths[i];
  }
  const float h = height;
  bool changed = false;

  int asked = 0;
  if (TakeAccessOption(id, &asked) && asked >= 0 && asked < count && asked != *index) {
    *index = asked;
    changed = true;
  }
  if (KeysFor(id) && count > 0) {
    const int delta = (c.input.nav_right ? 1 : 0) - (c.input.nav_left ? 1 : 0);
    if (delta != 0) {
      const int next = std::clamp(*index + delta, 0, count - 1);
      if (next != *index) {
        *index = next;
        c.consumed = true;
        changed = true;
      }
    }
  }
  // The click is taken before drawing, so the frame that takes it already shows it.
  float xi = x;
  for (int i = 0; i < count; ++i) {
    if (!c.consumed && Clicked(xi, y, widths[i], h)) {
      c.consumed = true;
      changed = changed || *index != i;
      *index = i;
    }
    xi += widths[i];
  }

  FillRoundRect(x, y, total, h, 4, Fade(Palette::ink, 0.5f));
  xi = x;
  for (int i = 0; i < count; ++i) {
    const float wi = widths[i];
    const bool selected = i == *index;
    if (selected) {
      PushClip(xi, y, wi, h);
      FillRoundRect(x, y, total, h, 4, Palette::gold);
      PopState();
    } else if (Hovered(xi, y, wi, h)) {
      FillRect(xi, y, wi, h, Fade(Palette::panel_hi, 0.8f));
    }
    if (i > 0) DrawLine(xi, y, xi, y + h, Palette::line, 1);
    DrawText(options[i], FontRole::Semibold, 14, xi + wi / 2, y + h / 2 - 8.4f,
             selected ? Palette::on_gold : Palette::text_dim, kAlignCentre, 0);
    xi += wi;
  }
  StrokeRoundRect(x, y, total, h, 4, Palette::line, 1);
  if (RingFor(id)) StrokeRoundRect(x - 3, y - 3, total + 6, h + 6, 6, Palette::focus, 2);
  if (AccessRecording()) DescribeChoice(id, AccessRole::kSegmented, options, *index, std::wstring());
  return changed;
}

// [SECTION] Toggle

bool Toggle(bool* value, float x, float y, int id) {
  Context& c = Ctx();
  const bool before = *value;
  if (!c.consumed) {
    const bool focused = c.focus == id;
    if (Clicked(x, y, 90, 24) || (focused && c.input.nav_activate)) {
      if (c.input.nav_left)
        *value = false;
      else if (c.input.nav_right)
        *value = true;
      else
        *value = !*value;
      c.consumed = true;
    } else if (focused && c.input.nav_left) {
      *value = false;
      c.consumed = true;
    } else if (focused && c.input.nav_right) {
      *value = true;
      c.consumed = true;
    }
  }

  const bool on = *value;
  FillRoundRect(x, y, 46, 24, 12, on ? Palette::accent : Palette::line);
  FillCircle(x + (on ? 34.0f : 12.0f), y + 12, 9, on ? 0xFFFFFFFF : Palette::text_dim);
  DrawText(on ? L"On" : L"Off", FontRole::Semibold, 14, x + 56, y + 3, on ? Palette::text : Palette::text_dim,
           kAlignLeft, 0);
  if (RingFor(id)) StrokeRoundRect(x - 3, y - 3, 52, 30, 15, Palette::focus, 2);
  if (AccessRecording())
    detail::DescribeValue(id, AccessRole::kToggle, on ? L"On" : L"Off", on ? L"Turn off" : L"Turn on",
                          on ? kAccessChecked : 0u);
  return *value != before;
}

// [SECTION] Slider

bool Slider(int* value, int min, int max, int step, float x, float y, float w, int id,
            const wchar_t* suffix) {
  Context& c = Ctx();
  const int before = *value;
  const float tw = std::max(w - 56, 1.0f);
  if (step <= 0) step = 1;
  if (max < min) max = min;

  if (c.input.mouse_pressed && Hovered(x - 10, y, tw + 20, 34)) c.active = id;
  if (c.active == id && c.input.mouse_down) {
    const double t = std::clamp((c.mouse[0] - x) / tw, 0.0f, 1.0f);
    const double steps = std::floor(static_cast<double>(max - min) * t / step + 0.5);
    const int dragged = std::clamp(min + step * static_cast<int>(steps), min, max);
    if (dragged != *value) {
      *value = dragged;
      c.consumed = true;
    }
  }
  double asked = 0;
  if (TakeAccessNumber(id, &asked)) {
    const double steps = std::floor((std::clamp(asked, static_cast<double>(min), static_cast<double>(max)) - min) / step + 0.5);
    *value = std::clamp(min + step * static_cast<int>(steps), min, max);
  }
  if (KeysFor(id) && (c.input.nav_left || c.input.nav_right)) {
    const long long next = static_cast<long long>(*value) + (c.input.nav_right ? step : -step);
    *value = static_cast<int>(std::clamp<long long>(next, min, max));
    c.consumed = true;
  }

  const float f = max > min ? static_cast<float>(std::clamp(*value, min, max) - min) / static_cast<float>(max - min)
                            : 0.0f;
  FillRoundRect(x, y + 13, tw, 8, 4, Palette::line);
  if (f > 0) FillRoundRectGradient(x, y + 13, std::max(f * tw, 8.0f), 8, 4, Palette::accent, Palette::gold, 0);

  if (GpGraphics* g = detail::FrameGraphics()) {
    GraphicsState saved = 0;
    gp::GdipSaveGraphics(g, &saved);
    gp::GdipTranslateWorldTransform(g, x + f * tw, y + 17, MatrixOrderPrepend);
    gp::GdipRotateWorldTransform(g, 45, MatrixOrderPrepend);
    FillRoundRect(-12, -12, 24, 24, 5, Fade(Palette::gold, 0.5f));
    FillRoundRect(-9, -9, 18, 18, 3, 0xFFFFFFFF);
    gp::GdipRestoreGraphics(g, saved);
  }

  wchar_t label[32];
  std::swprintf(label, 32, L"%d%ls", *value, suffix ? suffix : L"");
  DrawText(label, FontRole::Semibold, 15, x + w, y + 8, Palette::text, kAlignRight, 0);
  if (RingFor(id)) StrokeRoundRect(x - 14, y - 2, w + 20, 38, 6, Palette::focus, 2);
  AccessItem* item = AccessRecording() ? detail::DescribeValue(id, AccessRole::kSlider, label, std::wstring()) : nullptr;
  if (item) {
    item->number = *value;
    item->minimum = min;
    item->maximum = max;
    item->step = step;
  }
  return *value != before;
}

// [SECTION] Selector

bool Selector(const std::vector<std::wstring>& options, int* index, float x, float y, float w, int id) {
  Context& c = Ctx();
  const int n = static_cast<int>(options.size());
  const int before = *index;
  const bool focused = c.focus == id;

  int asked = 0;
  if (TakeAccessOption(id, &asked) && asked >= 0 && asked < n) *index = asked;
  if (n >= 1 && !c.consumed && Clicked(x, y, w, 36)) {
    *index = Modulo(*index + (c.mouse[0] < x + w / 2 ? -1 : 1), n);
    c.consumed = true;
  } else if (n >= 1 && focused && !c.consumed && (c.input.nav_left || c.input.nav_right)) {
    const int delta = (c.input.nav_right ? 1 : 0) - (c.input.nav_left ? 1 : 0);
    const int next = std::clamp(Modulo(*index + delta, n), 0, n - 1);
    if (next != *index) {
      *index = next;
      c.consumed = true;
    }
  }
  if (n >= 1 && focused && c.input.nav_activate && !c.consumed) {
    *index = Modulo(*index + 1, n);
    c.consumed = true;
  }

  const bool hovered = Hovered(x, y, w, 36);
  FillRoundRect(x, y, w, 36, 4, Fade(Palette::ink, 0.6f));
  StrokeRoundRect(x, y, w, 36, 4, hovered ? Fade(Palette::gold, 0.6f) : Palette::line, 1);
  const Color arrows = n >= 2 ? Palette::gold : Palette::line;
  const PointF left[3] = {PointF(x + 17, y + 13), PointF(x + 11, y + 18), PointF(x + 17, y + 23)};
  const PointF right[3] = {PointF(x + w - 17, y + 13), PointF(x + w - 11, y + 18), PointF(x + w - 17, y + 23)};
  FillPolygon(left, 3, arrows);
  FillPolygon(right, 3, arrows);

  const std::wstring shown = n > 0 ? options[std::clamp(*index, 0, n - 1)] : std::wstring(L"(none)");
  float size = 15;
  const float text_width = MeasureText(shown, FontRole::Semibold, size);
  if (text_width > w - 56 && text_width > 0) size = 15 * (w - 56) / text_width;
  DrawText(shown, FontRole::Semibold, size, x + w / 2, y + 18 - 0.6f * size, Palette::text, kAlignCentre, 0);
  if (RingFor(id)) StrokeRoundRect(x - 3, y - 3, w + 6, 42, 6, Palette::focus, 2);
  if (AccessRecording()) DescribeChoice(id, AccessRole::kSelector, options, *index, n >= 2 ? L"Next" : L"");
  return *index != before;
}

// [SECTION] Checkbox

bool Checkbox(bool* value, const std::wstring& label, float x, float y, int id) {
  Context& c = Ctx();
  const float tw = label.empty() ? 34.0f : MeasureText(label, FontRole::Semibold, 16) + 34;
  bool changed = false;
  if (!c.consumed && (Clicked(x, y - 2, tw, 28) || (c.focus == id && c.input.nav_activate))) {
    *value = !*value;
    c.consumed = true;
    changed = true;
  }

  if (*value) {
    FillRoundRect(x, y, 24, 24, 5, Palette::gold);
    DrawIcon("tick", x + 3, y + 3, 18, Palette::on_gold, 2.6f);
  } else {
    FillRoundRect(x, y, 24, 24, 5, Fade(Palette::ink, 0.6f));
    StrokeRoundRect(x, y, 24, 24, 5, Hovered(x, y - 2, tw, 28) ? Palette::gold : Palette::text_dim, 2);
  }
  DrawText(label, FontRole::Semibold, 16, x + 36, y + 2, Palette::text, kAlignLeft, 0);
  if (RingFor(id)) StrokeRoundRect(x - 4, y - 4, 32, 32, 7, Palette::focus, 2);
  if (AccessRecording()) {
    AccessItem* item = detail::DescribeValue(id, AccessRole::kCheckbox, std::wstring(), *value ? L"Uncheck" : L"Check",
                                             *value ? kAccessChecked : 0u);
    if (item && item->name.empty()) item->name = label;
  }
  return changed;
}

}  // namespace ui
