#include "launcher/settings_screen.h"

#include <algorithm>

#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/settings_pages.h"
#include "launcher/settings_rows.h"
#include "settings/settings_store.h"
#include "ui/access.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/icons.h"
#include "ui/indicators.h"
#include "ui/interaction.h"
#include "ui/text.h"

namespace {

using ui::FontRole;
using ui::Palette;

constexpr float kSideRight = 248;

void SideList() {
  LauncherState& st = Launcher();
  ui::Context& c = ui::Ctx();
  ui::FillRect(c.view_left, 52, kSideRight - c.view_left, 668, ui::Fade(Palette::ink, 0.55f));
  ui::DrawLine(kSideRight, 52, kSideRight, 720, Palette::line, 1);

  float y = 78;
  for (int32_t number = 0; number < kSettingsPageCount; ++number) {
    const SettingsPage page = WrapSettingsPage(number);
    if (page == SettingsPage::GameFiles || page == SettingsPage::Builds) {
      ui::DrawText(page == SettingsPage::GameFiles ? L"GAME" : L"KESTRANE", FontRole::Label, 11, 28, y + 14,
                   ui::Fade(Palette::text_dim, 0.75f), ui::kAlignLeft, 0.26f);
      y += 34;
    }
    const SettingsPageDef& def = SettingsPageAt(page);
    const bool selected = page == st.page;
    const bool hovered = ui::Hovered(0, y, kSideRight, 38);
    if (selected) {
      ui::FillRoundRectGradient(0, y, kSideRight, 38, 0, ui::Fade(Palette::gold, 0.14f), ui::Fade(Palette::gold, 0), 0);
      ui::PushSkew(12, y + 19, -14);
      ui::FillRect(10, y + 8, 5, 22, Palette::gold);
      ui::PopState();
    }
    const ui::Color ink = hovered || selected ? Palette::text : Palette::text_dim;
    ui::DrawIcon(def.icon, 28, y + 11, 16, ink, 1.8f);
    ui::DrawText(def.title, FontRole::Semibold, 15, 56, y + 10, ink);
    if (hovered) c.hand_cursor = 1;
    if (!c.consumed && ui::Clicked(0, y, kSideRight, 38)) {
      c.consumed = true;
      GoToSettingsPage(page);
    }
    y += 38;
  }
}

void PageKeys() {
  const bool pad = ui::gamepad_active;
  const std::wstring first = pad ? L"LB" : L"Q", second = pad ? L"RB" : L"E";
  auto width = [](const std::wstring& label) {
    return std::max(24.0f, ui::MeasureTextSpaced(label, FontRole::Label, 12, 0.06f) + 12);
  };
  const float x2 = 880 - width(second);
  const float x1 = x2 - 4 - width(first);
  ui::Badge(first, x1, 100);
  ui::Badge(second, x2, 100);
  ui::DrawText(L"page", FontRole::Semibold, 12, x1 - 12, 103, Palette::text_dim, ui::kAlignRight);
}

// Content widgets see the mouse only inside the content clip: a row scrolled out of
// sight must not take the focus or a click meant for the title or the bottom bar.
struct ContentMouse {
  float mouse[2];
  float press[2];
  ContentMouse() {
    ui::Context& c = ui::Ctx();
    std::copy(c.mouse, c.mouse + 2, mouse);
    std::copy(c.press, c.press + 2, press);
    const auto inside = [](const float* p) {
      return p[0] >= kClipX && p[0] < kClipX + kClipW && p[1] >= kClipY && p[1] < kClipY + kClipH;
    };
    // A slider being dragged follows the mouse wherever it goes.
    if (c.active < 0 && !inside(c.mouse)) c.mouse[0] = c.mouse[1] = -10000.0f;
    if (!inside(c.press)) c.press[0] = c.press[1] = -1.0f;
  }
  ~ContentMouse() {
    ui::Context& c = ui::Ctx();
    std::copy(mouse, mouse + 2, c.mouse);
    std::copy(press, press + 2, c.press);
  }
};

// Keeps the focused row whole in the visible part, applies the wheel, clamps, and draws
// the thumb. Everything in content coordinates: a row's top counts from the content's start.
void Scroll() {
  LauncherState& st = Launcher();
  const ui::Context& c = ui::Ctx();
  const float content_height = RowCursor() + st.settings_scroll - kContentTop;
  float scroll = st.settings_scroll;
  if (c.focus_visible) {
    for (const SettingsFocusRow& row : st.settings_rows)
      if (row.id == c.focus) scroll = ScrollToShow(scroll, row.top, row.height);
  }
  if (c.input.wheel != 0 && c.mouse[0] > kSideRight) scroll -= c.input.wheel * 60;
  // Rows that moved are shown where they are now by the frame drawn right after this one.
  st.settings_scroll = ClampScroll(scroll, content_height);
  scroll = st.settings_scroll;
  if (content_height > kVisibleHeight) {
    const float th = kVisibleHeight * kVisibleHeight / content_height;
    const float top = kContentTop + (kVisibleHeight - th) * scroll / (content_height - kVisibleHeight);
    ui::FillRoundRect(274, top, 3, th, 1.5f, Palette::gold);
  }
}

void BottomBar(const SettingsPageDef& def) {
  LauncherState& st = Launcher();
  const float done_w = ui::ButtonWidth(L"Done");
  if (ui::Button(L"Done", 1224 - done_w, 650)) GoToScreen(ScreenId::Home);
  if (def.reset_section &&
      ui::LinkButton(L"Reset this page", 1224 - done_w - 24, 660, 15, Palette::focus, false, nullptr, ui::kAlignRight)) {
    SettingsStore::ResetSection(def.reset_section);
    if (st.page == SettingsPage::Language) SettingsStore::Reset("game.language");
    ShowToast(L"Back to the defaults for this page.");
  }
  ui::DrawText(L"Changes save to settings.ini as you make them.", FontRole::Body, 13, 304, 663, Palette::text_dim);
}

void Keys() {
  LauncherState& st = Launcher();
  ui::Context& c = ui::Ctx();
  if (c.consumed) return;
  if (c.input.nav_prev_page) {
    c.consumed = true;
    GoToSettingsPage(WrapSettingsPage(SettingsPageNumber(st.page) - 1));
  } else if (c.input.nav_next_page) {
    c.consumed = true;
    GoToSettingsPage(WrapSettingsPage(SettingsPageNumber(st.page) + 1));
  } else if (c.input.nav_back || c.input.right_click) {
    c.consumed = true;
    GoToScreen(ScreenId::Home);
  }
}

}  // namespace

void SettingsScreen() {
  LauncherState& st = Launcher();
  ui::Context& c = ui::Ctx();
  st.page = WrapSettingsPage(SettingsPageNumber(st.page));
  const SettingsPageDef& def = SettingsPageAt(st.page);

  SideList();
  if (ui::LinkButton(L"Back to home", 28, 672, 15, Palette::focus, false)) GoToScreen(ScreenId::Home);
  ui::DrawIcon("back", 12, 676, 12, Palette::focus, 2.4f);
  ui::DrawText(def.title, FontRole::Display, 42, 304, 88, Palette::text);
  if (ui::AccessRecording()) {
    // The side list is for the mouse; the page keys are said with the title.
    const std::wstring where = L"Page " + std::to_wstring(SettingsPageNumber(st.page) + 1) + L" of " +
                               std::to_wstring(kSettingsPageCount) +
                               L". Q and E, or Page Up and Page Down, change the page.";
    ui::AccessText(ui::AccessRole::kHeading, def.title, 304, 88, 576, 50, where);
  }
  PageKeys();

  // The page's first control gets the focus before it is drawn, so the frame that opens
  // the page already shows it there.
  const int first = c.widget_count;
  if (st.focus_default) c.focus = first;
  {
    const ContentMouse content_mouse;
    ui::PushClip(kClipX, kClipY, kClipW, kClipH);
    ui::AccessClip(kClipX, kClipY, kClipW, kClipH);
    BeginSettingsContent();
    if (st.page <= SettingsPage::Builds) ui::DrawLine(304, RowCursor(), 880, RowCursor(), Palette::gold_tint, 1);
    def.content();
    ui::AccessClipEnd();
    ui::PopState();
  }
  st.focus_default = false;
  def.column();
  Scroll();
  BottomBar(def);
  Keys();
}

bool SettingsNeedFrames() {
  const LauncherState& st = Launcher();
  if (st.screen != ScreenId::Settings) return false;
  if (st.page == SettingsPage::GameFiles && st.data_move_running)
    return static_cast<int>(NowSeconds() - st.data_move_started) != st.data_move_shown_second;
  return false;
}
