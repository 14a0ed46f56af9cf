#include "launcher/frame.h"

#include <cmath>
#include <functional>

#include "launcher/disc_chooser_screen.h"
#include "launcher/home_screen.h"
#include "launcher/job_progress_screen.h"
#include "launcher/launcher_state.h"
#include "launcher/navigation.h"
#include "launcher/settings_screen.h"
#include "settings/product.h"
#include "ui/access.h"
#include "ui/backdrop.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/icons.h"
#include "ui/interaction.h"
#include "ui/layer.h"
#include "ui/text.h"
#include "ui/truck_run.h"

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
  window_rect->left = static_cast<LONG>(std::floor(c.scale * left + c.offset_x));
  window_rect->top = static_cast<LONG>(std::floor(c.scale * y + c.offset_y));
  window_rect->right = static_cast<LONG>(std::ceil(c.scale * (left + w) + c.offset_x));
  window_rect->bottom = static_cast<LONG>(std::ceil(c.scale * (y + h) + c.offset_y));
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

void Toast() {
  const LauncherState& st = Launcher();
  if (st.toast_text.empty()) return;
  const double now = NowSeconds();
  if (now > st.toast_until) return;
  const float fade = static_cast<float>(std::min(1.0, (st.toast_until - now) / 0.4));
  const float w = ui::MeasureText(st.toast_text, ui::FontRole::Semibold, 15) + 40;
  ui::FillRoundRect(640 - w / 2, 662, w, 40, 6, ui::Fade(Palette::panel_hi, 0.96f * fade));
  ui::StrokeRoundRect(640 - w / 2, 662, w, 40, 6, ui::Fade(Palette::gold, 0.5f * fade), 1);
  ui::DrawText(st.toast_text, ui::FontRole::Semibold, 15, 640, 673, ui::Fade(Palette::text, fade),
               ui::kAlignCentre);
  ui::AccessText(ui::AccessRole::kAlert, st.toast_text, 640 - w / 2, 662, w, 40);
}

void TruckCallback(float left, float kx) {
  LauncherState& st = Launcher();
  st.truck_left = left;
  st.truck_kx = kx;
  ui::Truck().Draw(left, kx);
}

}  // namespace

void Frame(Gdiplus::Graphics* g, int width, int height, const ui::Input& input) {
  LauncherState& st = Launcher();
  st.stamp_start = Stamp();
  ui::BeginFrame(g, width, height, input);
  const ui::Context& c = ui::Ctx();

  // The whole back buffer first, letterbox bars included.
  ui::FillFrame(Palette::bg1);

  static const std::function<void(float, float)> kTruck = TruckCallback;
  static const std::function<void(float, float)> kNoTruck;
  ui::Backdrop(st.screen == ScreenId::Home ? kTruck : kNoTruck);
  st.stamp_backdrop = Stamp();

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
  ui::EndFrame();
}
