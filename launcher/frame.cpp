#include "launcher/frame.h"

#include <cmath>
#include <functional>
#include <string>

#include "art/backdrop.h"
#include "art/truck_run.h"
#include "launcher/disc_chooser_screen.h"
#include "launcher/home_screen.h"
#include "launcher/job_progress_screen.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/settings_screen.h"
#include "launcher/window_geometry.h"
#include "settings/product.h"
#include "ui/access.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/icons.h"
#include "ui/interaction.h"
#include "ui/layer.h"
#include "ui/text.h"

namespace {

using ui::Palette;

int64_t Stamp() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

// Mouse-only: the top bar's buttons take no focus id, so Tab never lands on them.
bool TopBarButton(const char* icon, float left, bool is_close, RECT* window_rect) {
  const ui::Context& c = ui::Ctx();
  const float y = 11, w = 34, h = 30;
  const bool hovered = ui::Hovered(left, y, w, h);
  if (hovered) {
    ui::Ctx().hand_cursor = 1;
    ui::FillRoundRect(left, y, w, h, 4,
                      is_close ? ui::Fade(Palette::error, 0.8f) : ui::Fade(Palette::panel_hi, 0.9f));
  }
  ui::DrawIcon(icon, left + 10, 19, 14, hovered ? Palette::text : Palette::text_dim, 1.6f);
  *window_rect = DesignToPixels(c.scale, c.offset_x, c.offset_y, left, y, left + w, y + h);
  return ui::Clicked(left, y, w, h);
}

void TopBar() {
  LauncherState& st = Launcher();
  const ui::Context& c = ui::Ctx();
  ui::FillStar(c.view_left + 36, 26, 8, Palette::gold);
  const float w = ui::DrawText(L"KESTRANE", ui::FontRole::Display, 18, c.view_left + 52, 15, Palette::text,
                               ui::kAlignLeft, 0.14f);
  static const std::wstring kVersion = L"launcher " + ui::Utf8ToWide(product::kLauncherVersion);
  ui::DrawText(kVersion, ui::FontRole::Mono, 12, c.view_left + 52 + w + 14, 19, Palette::text_dim);

  if (TopBarButton("gear", c.view_right - 124, false, &st.topbar_buttons[0]))
    GoToSettingsPage(st.page);
  if (TopBarButton("min", c.view_right - 90, false, &st.topbar_buttons[1]) && st.hwnd)
    ShowWindow(st.hwnd, SW_MINIMIZE);
  if (TopBarButton("close", c.view_right - 56, true, &st.topbar_buttons[2]) && st.hwnd)
    PostMessageW(st.hwnd, WM_CLOSE, 0, 0);
}

// Centred at x 640 when it fits; a long toast moves left just enough to stay clear of the
// big buttons at the bottom right (PLAY, CONTINUE) that every screen keeps there.
void Toast() {
  const LauncherState& st = Launcher();
  if (st.toast_text.empty()) return;
  const double now = NowSeconds();
  if (now > st.toast_until) return;
  constexpr float kRightLimit = 886;  // left of PLAY's slanted edge
  const float fade = static_cast<float>(std::min(1.0, (st.toast_until - now) / 0.4));
  const float w = ui::MeasureText(st.toast_text, ui::FontRole::Semibold, 15) + 40;
  const float centre = std::min(640.0f, kRightLimit - w / 2);
  ui::FillRoundRect(centre - w / 2, 662, w, 40, 6, ui::Fade(Palette::panel_hi, 0.96f * fade));
  ui::StrokeRoundRect(centre - w / 2, 662, w, 40, 6, ui::Fade(Palette::gold, 0.5f * fade), 1);
  ui::DrawText(st.toast_text, ui::FontRole::Semibold, 15, centre, 673, ui::Fade(Palette::text, fade),
               ui::kAlignCentre);
  ui::AccessText(ui::AccessRole::kAlert, st.toast_text, 640 - w / 2, 662, w, 40);
}

// What a frame may change that the frames after it draw differently. Input the frame
// handled counts too (HandledInput); a mouse that only moved changes nothing else.
struct Watched {
  ScreenId screen;
  SettingsPage page;
  int focus;
  bool focus_visible, focus_default, screen_changed;
  std::wstring toast_text;
  double toast_until;
  float settings_scroll;
  int selected;
  size_t chosen;
  bool show_how_to, show_details, offer_shortcuts, sample_job, game_started;

  bool operator==(const Watched&) const = default;
};

Watched Watch() {
  const LauncherState& st = Launcher();
  const ui::Context& c = ui::Ctx();
  return {st.screen,         st.page,           c.focus,           c.focus_visible,  st.focus_default,
          st.screen_changed, st.toast_text,     st.toast_until,    st.settings_scroll, st.selected,
          st.chosen.size(),  st.show_how_to,    st.show_details,   st.offer_shortcuts, st.sample_job,
          st.game_started};
}

bool HandledInput(const ui::Input& in) {
  return in.mouse_pressed || in.mouse_released || in.right_click || in.wheel != 0 || in.nav_up || in.nav_down ||
         in.nav_left || in.nav_right || in.nav_activate || in.nav_back || in.nav_start || in.nav_settings ||
         in.nav_prev_page || in.nav_next_page;
}

// A frame may go on changing what the next one shows (a new screen applies its default
// focus, which may scroll a page): past this many the loop's next paint carries on.
constexpr int kMaxSettleFrames = 4;

void TruckCallback(float left, float kx) {
  LauncherState& st = Launcher();
  st.truck_left = left;
  st.truck_kx = kx;
  art::Truck().Draw(left, kx);
}

// The fill of the whole back buffer (letterbox bars included), then the backdrop art.
void Under() {
  LauncherState& st = Launcher();
  ui::FillFrame(Palette::bg1);
  static const std::function<void(float, float)> kTruck = TruckCallback;
  static const std::function<void(float, float)> kNoTruck;
  art::Backdrop(st.screen == ScreenId::Home ? kTruck : kNoTruck);
  st.stamp_backdrop = Stamp();
}

// The top bar, the screen and the toast.
void Over() {
  LauncherState& st = Launcher();
  const ui::Context& c = ui::Ctx();
  TopBar();
  st.topbar_bottom = c.scale * 52 + c.offset_y;

  switch (st.screen) {
    case ScreenId::Home:
      HomeScreen();
      break;
    case ScreenId::DiscChooser:
      DiscChooserScreen();
      break;
    case ScreenId::JobProgress:
      JobProgressScreen();
      break;
    case ScreenId::Settings:
      SettingsScreen();
      break;
  }
  st.stamp_end = Stamp();

  Toast();
}

}  // namespace

void Frame(Gdiplus::Graphics* g, int width, int height, const ui::Input& input) {
  Launcher().stamp_start = Stamp();
  ui::BeginFrame(g, width, height, input);
  Under();
  Over();
  ui::EndFrame();
}

void HomeMotionPass(Gdiplus::Graphics* g, int width, int height, const ui::Input& input, bool emblem) {
  LauncherState& st = Launcher();
  ui::Context& c = ui::Ctx();
  const int widgets = c.widget_count;
  const int hand = c.hand_cursor;
  st.stamp_start = Stamp();
  ui::BeginFrame(g, width, height, input);
  Under();
  if (emblem) HomeEmblem();
  st.stamp_end = Stamp();
  ui::EndFrame();
  c.widget_count = widgets;
  c.hand_cursor = hand;
}

void ForegroundPass(Gdiplus::Graphics* g, int width, int height, const ui::Input& input) {
  LauncherState& st = Launcher();
  st.foreground_pass = true;
  ui::BeginFrame(g, width, height, input);
  Over();
  ui::EndFrame();
  st.foreground_pass = false;
}

int FrameUntilSettled(Gdiplus::Graphics* g, int width, int height, const ui::Input& input, ui::NavQueue* queue) {
  LauncherState& st = Launcher();
  ui::Input quiet = input;
  ui::ClearFrameInput(&quiet);
  int frames = 0;
  for (;;) {
    st.focus_default |= st.screen_changed;
    st.screen_changed = false;
    const bool applying_default = st.focus_default;
    // Only the first frame takes input; a queued code waits for the loop's next paint.
    const ui::Input frame_input = frames == 0 ? ui::FrameInput(input, queue, applying_default) : quiet;
    const Watched before = Watch();
    Frame(g, width, height, frame_input);
    if (applying_default) st.focus_default = false;
    ++frames;
    if (frames >= kMaxSettleFrames || (!HandledInput(frame_input) && Watch() == before)) return frames;
  }
}
