#include "tests/art/sample_screen.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "art/backdrop.h"
#include "art/emblem.h"
#include "art/wordmark.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/icons.h"
#include "ui/indicators.h"
#include "ui/text.h"

namespace uitest {

using ui::FontRole;
using ui::Palette;

namespace {

void ArtSide(float truck_time) {
  art::Emblem(824, 58, 360, std::fmod(truck_time * 9, 360.0f));
  art::Wordmark(829, 396, 350);
  const float tw = ui::MeasureTextSpaced(L"YOUR DISC \u00b7 OUR ENGINE", FontRole::Label, 12, 0.3f);
  ui::DrawText(L"YOUR DISC \u00b7 OUR ENGINE", FontRole::Label, 12, 1004, 503.45f, Palette::text_dim, ui::kAlignCentre, 0.3f);
  ui::FillRect(1004 - tw / 2 - 12 - 54, 510.45f, 54, 2, Palette::gold_tint);
  ui::FillRect(1004 + tw / 2 + 12, 510.45f, 54, 2, Palette::gold_tint);
}

void TopBar() {
  const ui::Context& c = ui::Ctx();
  ui::FillStar(c.view_left + 36, 26, 8, Palette::gold);
  const float ww = ui::DrawText(L"KESTRANE", FontRole::Display, 18, c.view_left + 52, 15, Palette::text, ui::kAlignLeft, 0.14f);
  ui::DrawText(L"launcher 0.1.0", FontRole::Mono, 12, c.view_left + 52 + ww + 14, 19, Palette::text_dim);
  const char* icons[] = {"gear", "min", "close"};
  for (int i = 0; i < 3; ++i)
    ui::DrawIcon(icons[i], c.view_right - 124 + 34 * i + 10, 19, 14, Palette::text_dim, 1.6f);
}

// The title and the paragraph; returns where the status rows start.
float Hero() {
  ui::SectionTitle(L"Ready to race", 84, 92, Palette::gold);
  const float size = std::min(64.0f, ui::FitTextSize(L"Welcome back, driver.", FontRole::Display, 64, 650));
  const float first = ui::DrawText(L"Welcome back, ", FontRole::Display, size, 84, 118, Palette::text);
  ui::DrawText(L"driver.", FontRole::Display, size, 84 + first, 118, Palette::gold);
  const float y = 118 + size * 1.2f + 10;
  return y + ui::DrawWrapped(L"Your disc checks out and your build is current. Press Tab or Esc in game for display, sound and controls.",
                             FontRole::Body, 18, 84, y, 650, Palette::text_dim, 1.45f) + 22;
}

void StatusRows(float y) {
  struct Row {
    const wchar_t* label;
    const wchar_t* value;
    const wchar_t* chip;
    ui::Color color;
    const wchar_t* link;
  };
  for (const Row& r : {Row{L"Your game", L"Wii disc, USA (RKVE01)", L"VERIFIED", Palette::ok, L"Change"},
                       Row{L"Your build", L"Kestrane 0.1.0", L"CURRENT", Palette::ok, L"Rebuild"},
                       Row{L"Intro video", L"Sharpened on this PC", L"NEXT START", Palette::warn, L"Options"}}) {
    ui::FillStar(91, y + 29, 7, r.color);
    ui::DrawText(ui::UpperCase(r.label), FontRole::Label, 14, 110, y + 19, Palette::text_dim, ui::kAlignLeft, 0.2f);
    const float vw = ui::DrawText(r.value, FontRole::Body, 18, 298, y + 18, Palette::text);
    ui::Chip(r.chip, 298 + vw + 10, y + 19, r.color, r.color == Palette::ok);
    ui::LinkButton(r.link, 734, y + 18, 15, Palette::focus, true, nullptr, ui::kAlignRight);
    ui::DrawLine(84, y + 80, 734, y + 80, Palette::gold_tint, 1);
    y += 80;
  }
}

void BottomBar() {
  float nx = 84, w = 0;
  for (auto [icon, label] : {std::pair{"gear", L"Settings"}, std::pair{"pad", L"Controls"}, std::pair{"logs", L"Logs"},
                             std::pair{"about", L"About"}}) {
    ui::IconButton(icon, nx, 626, label, &w);
    nx += w + 24;
  }
  float bw = 0;
  const float x0 = 1196 - 300 - 28 - 150;
  ui::Badge(L"A", x0, 626, &bw);
  ui::DrawText(L"/", FontRole::Semibold, 12, x0 + bw + 6, 629, Palette::text_dim);
  float ew = 0;
  ui::Badge(L"ENTER", x0 + bw + 18, 626, &ew);
  ui::DrawText(L"play", FontRole::Semibold, 12, x0 + bw + 18 + ew + 6, 629, Palette::text_dim);
}

}  // namespace

std::vector<SamplePart> SampleHomeParts(art::TruckRun& run, float truck_time, bool focus_play, float* left, float* kx) {
  return {
      {"backdrop", [&run, left, kx] {
         ui::Ctx().focus = -1;
         art::Backdrop([&](float l, float k) {
           if (left) *left = l;
           if (kx) *kx = k;
           run.Draw(l, k);
         });
       }},
      {"emblem, wordmark, tagline", [truck_time] { ArtSide(truck_time); }},
      {"top bar", [] { TopBar(); }},
      {"title, paragraph, status rows", [] { StatusRows(Hero()); }},
      {"icon buttons, badges", [] { BottomBar(); }},
      {"play button", [focus_play] {
         ui::Context& c = ui::Ctx();
         c.focus = c.widget_count;
         c.focus_visible = focus_play;
         ui::PlayButton(L"PLAY", 896, 600, 300, 74, true, false);
       }},
  };
}

void DrawSampleHome(art::TruckRun& run, float truck_time, bool focus_play, float* left, float* kx) {
  for (const SamplePart& part : SampleHomeParts(run, truck_time, focus_play, left, kx)) part.draw();
}

}  // namespace uitest
