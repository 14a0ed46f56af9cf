#include "launcher/settings_rows.h"

#include <algorithm>
#include <cmath>

#include "launcher/launcher_state.h"
#include "platform/text.h"
#include "settings/settings_store.h"
#include "ui/access.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/indicators.h"
#include "ui/interaction.h"
#include "ui/text.h"
#include "ui/value_controls.h"

namespace {

using ui::FontRole;
using ui::Palette;

constexpr float kLabelX = 304, kControlX = 496, kLineRight = 880;

std::wstring Wide(const char* s) { return ui::Utf8ToWide(s ? s : ""); }

}  // namespace

// [SECTION] Row logic

int SegmentedIndex(const std::vector<SettingOption>& options, const std::string& current, const std::string& def) {
  for (size_t i = 0; i < options.size(); ++i)
    if (current == options[i].value) return static_cast<int>(i);
  for (size_t i = 0; i < options.size(); ++i)
    if (def == options[i].value) return static_cast<int>(i);
  return 0;
}

int SelectorIndex(const std::vector<std::string>& values, const std::string& current) {
  for (size_t i = 0; i < values.size(); ++i)
    if (values[i] == current) return static_cast<int>(i);
  return 0;
}

int SliderValue(int before, int moved, int max, int step) {
  if (step <= 0) step = 1;
  if (max < 0) max = 0;
  const int clamped = std::clamp(moved, 0, max);
  if (clamped % step == 0 || clamped == max) return clamped;
  // Off the grid only when it started off the grid: the next grid value that way.
  if (moved > before) return std::min(max, (before / step + 1) * step);
  return std::clamp((before - 1) / step * step, 0, max);
}

// [SECTION] Content column

void BeginSettingsContent() {
  LauncherState& st = Launcher();
  st.settings_cursor = kContentTop - st.settings_scroll;
  st.settings_rows.clear();
}

float RowCursor() { return Launcher().settings_cursor; }

void MoveRowCursor(float dy) { Launcher().settings_cursor += dy; }

void AddFocusRow(int id, float y, float height) {
  LauncherState& st = Launcher();
  // Content coordinates: the same for a row whatever the scroll, 0 at the content's top.
  st.settings_rows.push_back({id, y + st.settings_scroll - kContentTop, height});
}

float ScrollToShow(float scroll, float top, float height) {
  if (top + height > scroll + kVisibleHeight) scroll = top + height - kVisibleHeight;
  if (top < scroll) scroll = top;
  return scroll;
}

float ClampScroll(float scroll, float content_height) {
  return std::clamp(scroll, 0.0f, std::max(0.0f, content_height - kVisibleHeight));
}

// [SECTION] Rows

RowPlace SettingsRow(const std::wstring& label, const std::wstring& help, const SettingView* view,
                     float control_height) {
  const float c = control_height;
  const float hh = help.empty() ? 0.0f : DrawHelp(help, 0, 0, 384, false) + 6;
  const bool next_start = view && view->next_start;
  const std::wstring variable = view ? Wide(view->variable.c_str()) : std::wstring();
  const float tags = (next_start ? 24.0f : 0.0f) + (variable.empty() ? 0.0f : 18.0f);
  const float g = std::max(tags + 22, c) + 11 + hh + 11;
  const float y = RowCursor();

  const int id = ui::Focusable(284, y, 596, g);
  AddFocusRow(id, y, g);
  if (ui::AccessRecording()) {
    // The label names the row's one focus stop; its help and tags describe it.
    std::wstring description = help;
    if (next_start) description += std::wstring(description.empty() ? L"" : L" ") + L"Next start.";
    if (!variable.empty()) description += std::wstring(description.empty() ? L"" : L" ") + L"Set by " + variable + L".";
    ui::AccessLabel(id, label, description);
  }
  if (ui::IsFocused(id)) {
    ui::FillRect(274, y, 606, g, ui::Fade(Palette::panel_hi, 0.35f));
    ui::PushSkew(288, y + g / 2, -14);
    ui::FillRect(286, y + 14, 4, g - 28, Palette::accent);
    ui::PopState();
  }

  const float t = y + 11;
  const float label_top = std::max(0.0f, (c - 22) / 2) + t - (tags > 0 ? 4.0f : 0.0f);
  ui::DrawText(label, FontRole::Semibold, 15, kLabelX, label_top, Palette::text);
  float tag_y = label_top + 20;
  if (next_start) {
    ui::Chip(L"Next start", kLabelX, tag_y, Palette::warn, false);
    tag_y += 24;
  }
  if (!variable.empty()) {
    const std::wstring line = L"set by " + variable;
    const float size = std::min(11.0f, ui::FitTextSize(line, FontRole::Mono, 11, 170));
    ui::DrawText(line, FontRole::Mono, size, kLabelX, tag_y, Palette::focus);
  }
  if (!help.empty()) DrawHelp(help, kControlX, t + c + 6, 384);
  ui::DrawLine(kLabelX, y + g, kLineRight, y + g, Palette::gold_tint, 1);
  MoveRowCursor(g);
  return {id, t};
}

int SegmentedRow(const std::wstring& label, const char* key, const std::vector<SettingOption>& options,
                 const std::wstring& help) {
  const SettingView view = SettingsStore::View(key);
  const RowPlace row = SettingsRow(label, help, &view, 34);
  std::vector<std::wstring> labels;
  labels.reserve(options.size());
  for (const SettingOption& o : options) labels.push_back(o.label);
  int index = SegmentedIndex(options, view.value, view.def);
  if (ui::Segmented(labels, &index, kControlX, row.top, row.id, 34) && index >= 0 &&
      index < static_cast<int>(options.size()))
    SettingsStore::Set(key, options[index].value);
  return row.id;
}

int SelectorRow(const std::wstring& label, const char* key, const std::vector<std::string>& values,
                const std::vector<std::wstring>& labels, const std::wstring& help) {
  const SettingView view = SettingsStore::View(key);
  const RowPlace row = SettingsRow(label, help, &view, 36);
  int index = SelectorIndex(values, view.value);
  if (ui::Selector(labels, &index, kControlX, row.top, 300, row.id) && index >= 0 &&
      index < static_cast<int>(values.size()))
    SettingsStore::Set(key, values[index].c_str());
  return row.id;
}

int ToggleRow(const std::wstring& label, const char* key, const std::wstring& help) {
  const SettingView view = SettingsStore::View(key);
  const RowPlace row = SettingsRow(label, help, &view, 24);
  bool on = text::ParseIntLikeAtoi(view.value.c_str()) != 0;
  if (ui::Toggle(&on, kControlX, row.top, row.id)) SettingsStore::Set(key, on ? "1" : "0");
  return row.id;
}

int SliderRow(const std::wstring& label, const char* key, int max, int step, const std::wstring& help) {
  const SettingView view = SettingsStore::View(key);
  const RowPlace row = SettingsRow(label, help, &view, 34);
  const int before = text::ParseIntLikeAtoi(view.value.c_str());
  int value = before;
  if (ui::Slider(&value, 0, max, step, kControlX + 10, row.top, 300, row.id, L"%")) {
    const int written = SliderValue(before, value, max, step);
    if (written != before) SettingsStore::SetInt(key, written);
  }
  return row.id;
}

void GroupHeading(const std::wstring& text) {
  MoveRowCursor(10);
  ui::DrawText(ui::UpperCase(text), FontRole::Label, 12, kLabelX, RowCursor() + 8, Palette::text_dim, ui::kAlignLeft,
               0.24f);
  if (ui::AccessItem* item = ui::AccessText(ui::AccessRole::kHeading, text, kLabelX, RowCursor(), kLineRight - kLabelX, 30))
    item->heading_level = 2;
  MoveRowCursor(30);
  const float y = RowCursor();
  ui::DrawLine(kLabelX, y, kLineRight, y, Palette::gold_tint, 1);
}

bool RowButton(int row_id, const std::wstring& label, float right, float y, bool enabled) {
  const float w = ui::ButtonWidth(label);
  ui::Context& c = ui::Ctx();
  const int saved = c.widget_count;
  c.widget_count = row_id;
  const bool pressed = ui::Button(label, right - w, y, nullptr, enabled);
  c.widget_count = std::max(saved, row_id + 1);
  return pressed;
}

bool ButtonRow::Add(const std::wstring& label, bool enabled) {
  const int id = ui::Ctx().widget_count;
  float w = 0;
  const bool pressed = ui::Button(label, x, y, &w, enabled);
  AddFocusRow(id, y, 44);
  x += w + 24;
  return pressed;
}

// [SECTION] Text with arrows

namespace {

bool IsArrow(wchar_t ch) { return ch >= 0x2190 && ch <= 0x21FF; }

// Calls draw_run for each run of arrows or of other characters, left to right.
template <typename Run>
void ForEachRun(const std::wstring& text, Run draw_run) {
  size_t start = 0;
  while (start < text.size()) {
    const bool arrows = IsArrow(text[start]);
    size_t end = start;
    while (end < text.size() && IsArrow(text[end]) == arrows) ++end;
    draw_run(text.substr(start, end - start), arrows);
    start = end;
  }
}

float WidthWithArrows(const std::wstring& text, FontRole role, float size) {
  float w = 0;
  ForEachRun(text, [&](const std::wstring& run, bool arrows) {
    w += ui::MeasureText(run, arrows ? FontRole::Mono : role, size);
  });
  return w;
}

}  // namespace

float DrawTextWithArrows(const std::wstring& text, FontRole role, float size, float x, float y, ui::Color color) {
  float cx = x;
  ForEachRun(text, [&](const std::wstring& run, bool arrows) {
    cx += ui::DrawText(run, arrows ? FontRole::Mono : role, size, cx, y, color);
  });
  return cx - x;
}

float DrawHelp(const std::wstring& text, float x, float y, float width, bool draw) {
  const float size = 13, line_height = size * 1.4f;
  const std::vector<std::wstring> lines =
      ui::WrapLines(text, width, [&](const std::wstring& line) { return WidthWithArrows(line, FontRole::Body, size); });
  if (draw) {
    for (size_t i = 0; i < lines.size(); ++i)
      DrawTextWithArrows(lines[i], FontRole::Body, size, x,
                         y + static_cast<float>(i) * line_height + (line_height - 1.2f * size) / 2, Palette::text_dim);
  }
  return static_cast<float>(lines.size()) * line_height;
}

// [SECTION] Right column

void InfoHeading(const std::wstring& text) {
  ui::DrawText(ui::UpperCase(text), FontRole::Label, 12, 924, 156, Palette::text_dim, ui::kAlignLeft, 0.24f);
  ui::AccessText(ui::AccessRole::kText, text, 924, 156, 300, 16);
}

void InfoText(const std::wstring& text, float y) {
  const float h = ui::DrawWrapped(text, FontRole::Body, 13, 924, y, 300, Palette::text_dim, 1.5f);
  ui::AccessText(ui::AccessRole::kText, text, 924, y, 300, h);
}

namespace {

// A screen reader is told the whole of what the note shortens.
void DrawInfoNote(const std::wstring& shown, const std::wstring& said, float y) {
  const float h = ui::DrawWrapped(shown, FontRole::Body, 13, 0, 0, 274, Palette::text, 1.45f, false);
  ui::FillRect(924, y, 300, h + 20, Palette::focus_tint);
  ui::FillRect(924, y, 3, h + 20, Palette::focus);
  ui::DrawWrapped(shown, FontRole::Body, 13, 938, y + 10, 274, Palette::text, 1.45f);
  ui::AccessText(ui::AccessRole::kText, said, 924, y, 300, h + 20);
}

}  // namespace

void InfoNote(const std::wstring& text, float y) { DrawInfoNote(text, text, y); }

void InfoPathNote(const std::wstring& prefix, const std::wstring& path, float y) {
  DrawInfoNote(prefix + ui::ElideLeft(path, FontRole::Body, 13, 274), prefix + path, y);
}
