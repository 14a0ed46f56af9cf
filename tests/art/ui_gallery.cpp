// Renders the toolkit into PNG pictures for a person to look at: every widget in its
// states, the icons, the font roles, and a home-like screen over the backdrop at several
// moments of the truck run, at 1280 x 720 and 1920 x 1080.
//
//   ui_gallery.exe [output folder]      (default: ui_gallery in the current folder)
//
// Files are named <picture>_<width>x<height>.png: widgets, icons, fonts, and home_<moment>
// for the moments drive, dust, air, gap, enter and parked of the truck run.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "art/backdrop.h"
#include "art/emblem.h"
#include "art/truck_run.h"
#include "art/wordmark.h"
#include "tests/art/sample_screen.h"
#include "tests/ui/render_surface.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/icons.h"
#include "ui/indicators.h"
#include "ui/interaction.h"
#include "ui/text.h"
#include "ui/value_controls.h"

using ui::FontRole;
using ui::Palette;

namespace {

struct Size {
  int w, h;
};
const Size kSizes[] = {{1280, 720}, {1920, 1080}};

std::string g_out = "ui_gallery";
int g_failures = 0;

void Save(uitest::RenderSurface& s, const std::string& name) {
  const std::string path = g_out + "\\" + name + "_" + std::to_string(s.width()) + "x" +
                           std::to_string(s.height()) + ".png";
  if (s.SavePng(path)) {
    std::printf("wrote %s\n", path.c_str());
  } else {
    std::printf("could not write %s\n", path.c_str());
    ++g_failures;
  }
}

// One immediate-mode pass over the surface with the mouse at a design point; focus_id is
// the widget id that shows the focus ring (-1: none).
enum class Look { Idle, Hover, Focus, Pressed, Disabled };
void Pass(uitest::RenderSurface& s, float mx, float my, Look look, const std::function<void()>& draw) {
  ui::Input in = uitest::MouseAt(mx, my, s.width(), s.height());
  if (look == Look::Pressed) in.mouse_down = 1;
  ui::BeginFrame(s.graphics(), s.width(), s.height(), in);
  ui::Context& c = ui::Ctx();
  c.focus_visible = look == Look::Focus;
  c.focus = look == Look::Focus ? c.widget_count : -1;
  if (look == Look::Pressed) c.press[0] = mx, c.press[1] = my;
  draw();
  ui::EndFrame();
}

void Caption(const wchar_t* text, float x, float y) {
  ui::DrawText(text, FontRole::Label, 10.5f, x, y, ui::Fade(Palette::text_dim, 0.8f), ui::kAlignLeft, 0.16f);
}

const wchar_t* LookName(Look l) {
  switch (l) {
    case Look::Idle: return L"IDLE";
    case Look::Hover: return L"HOVER";
    case Look::Focus: return L"FOCUS";
    case Look::Pressed: return L"PRESSED";
    default: return L"DISABLED";
  }
}

void Card(float x, float y, float w, float h, const wchar_t* title) {
  ui::FillRoundRect(x, y, w, h, 10, ui::Fade(Palette::panel, 0.88f));
  ui::StrokeRoundRect(x, y, w, h, 10, ui::Fade(Palette::line, 0.9f), 1);
  ui::SectionTitle(title, x + 20, y + 18, Palette::gold);
}

void BackdropPass(uitest::RenderSurface& s, const std::function<void(float, float)>& truck) {
  Pass(s, -5000, -5000, Look::Idle, [&] { art::Backdrop(truck); });
}

// [SECTION] Widgets

void WidgetSheet(uitest::RenderSurface& s) {
  BackdropPass(s, nullptr);
  Pass(s, -5000, -5000, Look::Idle, [] {
    ui::FillRect(ui::Ctx().view_left, 0, ui::Ctx().view_right - ui::Ctx().view_left, 720, ui::Fade(Palette::bg0, 0.55f));
    Card(40, 36, 600, 648, L"Buttons and links");
    Card(664, 36, 576, 648, L"Value controls");
  });

  // Standard buttons in every look.
  const Look looks[] = {Look::Idle, Look::Hover, Look::Focus, Look::Pressed, Look::Disabled};
  float x = 64;
  for (Look look : looks) {
    float w = 0;
    const float width = 118;  // about the width of "DONE"
    const bool hot = look == Look::Hover || look == Look::Pressed;
    Pass(s, hot ? x + width / 2 : -5000, 94, look, [&] {
      ui::Button(L"Done", x, 72, &w, look != Look::Disabled);
      Caption(LookName(look), x + 4, 126);
    });
    x += w + 22;
  }

  // The big action button.
  Pass(s, -5000, -5000, Look::Idle, [] { ui::PlayButton(L"PLAY", 64, 166, 260, 62, true, false); });
  Pass(s, 420, 197, Look::Focus, [] { ui::PlayButton(L"CONTINUE", 356, 166, 260, 62, true, true); });
  Pass(s, -5000, -5000, Look::Idle, [] {
    Caption(L"IDLE", 68, 244);
    Caption(L"FOCUS + HOVER", 360, 244);
  });

  // Links and icon buttons.
  Pass(s, -5000, -5000, Look::Idle, [] {
    ui::LinkButton(L"How do I dump my disc?", 64, 282, 15, Palette::focus, true);
    Caption(L"IDLE", 64, 308);
  });
  Pass(s, 270, 290, Look::Hover, [] {
    ui::LinkButton(L"Show details", 262, 282, 15, Palette::focus, true);
    Caption(L"HOVER", 262, 308);
  });
  Pass(s, -5000, -5000, Look::Focus, [] {
    ui::LinkButton(L"Open", 420, 282, 15, Palette::focus, false);
    Caption(L"FOCUS", 420, 308);
  });
  Pass(s, -5000, -5000, Look::Idle, [] {
    ui::LinkButton(L"Back", 612, 282, 15, Palette::text_dim, false, nullptr, ui::kAlignRight);
    Caption(L"RIGHT", 580, 308);
  });

  struct IconCell {
    const char* icon;
    const wchar_t* label;
    Look look;
  };
  x = 68;
  for (const IconCell& cell : {IconCell{"gear", L"Settings", Look::Idle}, IconCell{"pad", L"Controls", Look::Hover},
                               IconCell{"logs", L"Logs", Look::Focus}, IconCell{"about", L"About", Look::Idle},
                               IconCell{"close", L"", Look::Hover}}) {
    float w = 0;
    Pass(s, cell.look == Look::Hover ? x + 8 : -5000, 352, cell.look, [&] {
      ui::IconButton(cell.icon, x, 342, cell.label, &w);
      Caption(LookName(cell.look), x, 376);
    });
    x += w + 34;
  }

  // Chips, badges, titles and progress.
  Pass(s, -5000, -5000, Look::Idle, [] {
    float cx = 64;
    struct ChipCell {
      const wchar_t* label;
      ui::Color color;
      bool tick;
    };
    for (const ChipCell& c : {ChipCell{L"READY", Palette::ok, true}, ChipCell{L"VERIFIED", Palette::ok, true},
                              ChipCell{L"NOT SUPPORTED", Palette::error, false},
                              ChipCell{L"INCOMPLETE", Palette::warn, false}, ChipCell{L"NEXT START", Palette::warn, false}}) {
      ui::Chip(c.label, cx, 416, c.color, c.tick);
      cx += ui::ChipWidth(c.label, c.tick) + 10;
    }
    float bx = 64, bw = 0;
    for (const wchar_t* b : {L"A", L"ENTER", L"LB", L"RB", L"Q", L"E", L"0.1.0"}) {
      ui::Badge(b, bx, 456, &bw);
      bx += bw + 6;
    }
    ui::DrawText(L"choose", FontRole::Semibold, 12, bx + 4, 459, Palette::text_dim);
    ui::SectionTitle(L"First run \u00b7 step 3 of 8", 64, 504, Palette::gold);
    ui::SectionTitle(L"Something went wrong", 340, 504, Palette::error);

    const float fractions[] = {0.0f, 0.001f, 0.35f, 0.72f, 1.7f};
    const wchar_t* names[] = {L"0", L"0.001", L"0.35", L"0.72", L"1.7"};
    for (int i = 0; i < 5; ++i) {
      const float y = 548 + i * 24.0f;
      ui::ProgressBar(64, y, 420, 8, fractions[i]);
      ui::DrawText(names[i], FontRole::Mono, 12, 500, y - 3, Palette::text_dim);
    }
    ui::ProgressBar(540, 548, 70, 4, 0.5f);
  });

  // Value controls.
  const std::vector<std::wstring> modes = {L"Windowed", L"Borderless", L"Fullscreen"};
  const std::vector<std::wstring> sizes = {L"1280 \u00d7 720", L"1920 \u00d7 1080", L"2560 \u00d7 1440"};
  struct SegCell {
    int index;
    Look look;
    float y;
  };
  for (const SegCell& cell : {SegCell{0, Look::Idle, 76}, SegCell{1, Look::Focus, 126}, SegCell{2, Look::Hover, 176}}) {
    Pass(s, cell.look == Look::Hover ? 730 : -5000, cell.y + 17, cell.look, [&] {
      int index = cell.index;
      const int id = ui::Focusable(688, cell.y, 400, 34);
      ui::Segmented(modes, &index, 688, cell.y, id, 34);
      Caption(LookName(cell.look), 1130, cell.y + 12);
    });
  }
  struct ToggleCell {
    bool on;
    Look look;
    float x;
  };
  for (const ToggleCell& cell : {ToggleCell{false, Look::Idle, 688}, ToggleCell{true, Look::Idle, 818},
                                 ToggleCell{true, Look::Focus, 948}, ToggleCell{false, Look::Hover, 1078}}) {
    Pass(s, cell.look == Look::Hover ? cell.x + 20 : -5000, 248, cell.look, [&] {
      bool on = cell.on;
      const int id = ui::Focusable(cell.x, 236, 90, 24);
      ui::Toggle(&on, cell.x, 236, id);
      Caption(LookName(cell.look), cell.x, 268);
    });
  }
  struct SliderCell {
    int value;
    Look look;
    float y;
  };
  for (const SliderCell& cell : {SliderCell{0, Look::Idle, 300}, SliderCell{45, Look::Focus, 346}, SliderCell{100, Look::Idle, 392}}) {
    Pass(s, -5000, -5000, cell.look, [&] {
      int value = cell.value;
      const int id = ui::Focusable(698, cell.y, 300, 34);
      ui::Slider(&value, 0, 100, 5, 698, cell.y, 300, id, L"%");
      Caption(LookName(cell.look), 1130, cell.y + 12);
    });
  }
  struct SelectorCell {
    int index;
    Look look;
    float y;
    bool empty;
  };
  for (const SelectorCell& cell : {SelectorCell{1, Look::Idle, 446, false}, SelectorCell{0, Look::Focus, 494, false},
                                   SelectorCell{0, Look::Hover, 542, true}}) {
    Pass(s, cell.look == Look::Hover ? 800 : -5000, cell.y + 18, cell.look, [&] {
      int index = cell.index;
      const std::vector<std::wstring> none;
      const int id = ui::Focusable(688, cell.y, 300, 36);
      ui::Selector(cell.empty ? none : sizes, &index, 688, cell.y, 300, id);
      Caption(cell.empty ? L"EMPTY" : LookName(cell.look), 1130, cell.y + 13);
    });
  }
  struct CheckCell {
    bool value;
    Look look;
    float x, y;
    const wchar_t* label;
  };
  for (const CheckCell& cell : {CheckCell{true, Look::Idle, 688, 590, L"Desktop shortcut"},
                                CheckCell{false, Look::Hover, 940, 590, L"Start menu entry"},
                                CheckCell{false, Look::Focus, 688, 634, L"Save error logs"},
                                CheckCell{true, Look::Focus, 940, 634, L"Checked"}}) {
    Pass(s, cell.look == Look::Hover ? cell.x + 10 : -5000, cell.y + 10, cell.look, [&] {
      bool value = cell.value;
      const int id = ui::Focusable(cell.x, cell.y - 2, 190, 28);
      ui::Checkbox(&value, cell.label, cell.x, cell.y, id);
      Caption(LookName(cell.look), cell.x + 36, cell.y + 26);
    });
  }
  Save(s, "widgets");
}

// [SECTION] Icons and fonts

void IconSheet(uitest::RenderSurface& s) {
  BackdropPass(s, nullptr);
  Pass(s, -5000, -5000, Look::Idle, [] {
    ui::FillRect(ui::Ctx().view_left, 0, ui::Ctx().view_right - ui::Ctx().view_left, 720, ui::Fade(Palette::bg0, 0.55f));
    Card(40, 36, 1200, 524, L"Icons at 48 and 16 units");
    for (int i = 0; i < ui::kIconCount; ++i) {
      const float x = 64 + (i % 9) * 130.0f, y = 92 + (i / 9) * 240.0f;
      ui::FillRoundRect(x, y, 110, 200, 8, ui::Fade(Palette::ink, 0.45f));
      ui::DrawIcon(ui::IconTable[i].name, x + 31, y + 26, 48, Palette::text, 1.6f);
      ui::DrawIcon(ui::IconTable[i].name, x + 47, y + 100, 16, Palette::gold, 1.8f);
      ui::DrawText(ui::Utf8ToWide(ui::IconTable[i].name), FontRole::Mono, 13, x + 55, y + 150, Palette::text_dim,
                   ui::kAlignCentre);
    }
  });
  Save(s, "icons");
}

void FontSheet(uitest::RenderSurface& s) {
  BackdropPass(s, nullptr);
  Pass(s, -5000, -5000, Look::Idle, [] {
    ui::FillRect(ui::Ctx().view_left, 0, ui::Ctx().view_right - ui::Ctx().view_left, 720, ui::Fade(Palette::bg0, 0.55f));
    Card(40, 36, 1200, 600, L"Font roles");
    struct RoleRow {
      FontRole role;
      const wchar_t* name;
      float size, spacing;
      const wchar_t* sample;
    };
    const RoleRow rows[] = {
        {FontRole::Display, L"DISPLAY", 44, 0.04f, L"WELCOME BACK, DRIVER."},
        {FontRole::Label, L"LABEL", 18, 0.2f, L"YOUR DISC \u00b7 OUR ENGINE \u00b7 READY TO RACE"},
        {FontRole::Body, L"BODY", 19, 0, L"Your disc checks out and your build is current. Press Tab or Esc in game."},
        {FontRole::Semibold, L"SEMIBOLD", 19, 0, L"Show details  \u00b7  Reset this page  \u00b7  Back to home"},
        {FontRole::Bold, L"BOLD", 22, 0, L"Kestrane 0.1.0 \u2014 built 8 Dec 2026, 10:29"},
        {FontRole::Mono, L"MONO", 16, 0, L"main.dol 7c2f\u2026a5c2   launcher 0.1.0   0123456789"},
    };
    float y = 96;
    for (const RoleRow& r : rows) {
      ui::DrawText(r.name, FontRole::Label, 12, 72, y + 4, Palette::gold, ui::kAlignLeft, 0.24f);
      ui::DrawText(ui::FontName(r.role), FontRole::Mono, 12, 72, y + 26, Palette::text_dim);
      ui::DrawText(r.sample, r.role, r.size, 300, y + 22 - 0.6f * r.size, Palette::text, ui::kAlignLeft, r.spacing);
      ui::DrawLine(72, y + 76, 1208, y + 76, Palette::gold_tint, 1);
      y += 88;
    }
  });
  Save(s, "fonts");
}

// [SECTION] Home-like screen over the backdrop

void HomeScene(uitest::RenderSurface& s, art::TruckRun& run, float truck_time, const std::string& name) {
  ui::BeginFrame(s.graphics(), s.width(), s.height(), uitest::MouseAt(-5000, -5000, s.width(), s.height()));
  uitest::DrawSampleHome(run, truck_time, name == "drive");
  ui::EndFrame();
  Save(s, "home_" + name);
}

// Steps a fresh run until pick says stop, at most max_seconds.
art::TruckRun RunUntil(const std::function<bool(const art::TruckRun&)>& stop, float max_seconds, float* time) {
  art::TruckRun run;
  *time = 0;
  while (*time < max_seconds && !stop(run)) {
    run.Step(1.0f / 30);
    *time += 1.0f / 30;
  }
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_out = argv[1];
  CreateDirectoryA(g_out.c_str(), nullptr);
  if (!ui::LoadFonts(uitest::BuiltFontsDir())) {
    std::printf("GDI+ failed to start.\n");
    return 1;
  }
  for (const Size& size : kSizes) {
    uitest::RenderSurface surface(size.w, size.h);
    WidgetSheet(surface);
    IconSheet(surface);
    FontSheet(surface);

    float t = 0;
    art::TruckRun run = RunUntil([](const art::TruckRun& r) { return r.x > 330; }, 60, &t);
    HomeScene(surface, run, t, "drive");
    run = RunUntil([](const art::TruckRun& r) { return r.speed > 200 && r.dust.size() >= 3; }, 60, &t);
    HomeScene(surface, run, t, "dust");
    run = RunUntil([](const art::TruckRun& r) { return r.state == art::kTruckAir && r.x > 1150; }, 60, &t);
    HomeScene(surface, run, t, "air");
    run = RunUntil([](const art::TruckRun& r) { return r.state == art::kTruckGap && r.gap_timer < 29; }, 90, &t);
    HomeScene(surface, run, t, "gap");
    run = RunUntil([](const art::TruckRun& r) { return r.state == art::kTruckEnter && r.x > 60 && r.dust.size() > 0; }, 120, &t);
    HomeScene(surface, run, t, "enter");
    run = art::TruckRun();
    run.Park();
    HomeScene(surface, run, 0, "parked");
  }
  // An ultrawide window: the landscape stretches, the art keeps its size.
  uitest::RenderSurface wide(2560, 1080);
  float t = 0;
  art::TruckRun run = RunUntil([](const art::TruckRun& r) { return r.x > 330; }, 60, &t);
  HomeScene(wide, run, t, "drive");
  ui::UnloadFonts();
  return g_failures == 0 ? 0 : 1;
}
