// Benchmark of the toolkit's frame costs under the real GDI+: a full home-like frame
// (backdrop with emblem, wordmark, truck and a screenful of widgets) against a partial
// frame (the same frame clipped to the truck's old and new rectangles, as the window
// paints while the backdrop animates), at 1280 x 720 and 1920 x 1080; where a full frame's
// time goes, part by part and call by call; and the width cache: a repeated
// ui::MeasureText against the first measurement of a string.
//
// Wall-clock medians count other programs' turns on a busy machine; the processor times
// (this thread's, averaged over the frames) are the figures to compare.
//
//   ui_bench.exe [frames]      (default 40 full frames; partial frames are 5 times as many)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
#include "ui/canvas.h"
#include "ui/draw.h"
#include "ui/fonts.h"
#include "ui/icons.h"
#include "ui/indicators.h"
#include "ui/interaction.h"
#include "ui/text.h"

namespace {

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// This thread's processor time in seconds: on a busy machine the wall clock also counts
// other programs' turns, so comparisons use this (its ticks are coarse: average many frames).
double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto value = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(value(kernel) + value(user)) * 1e-7;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The truck's box in window pixels, widened by 2, as {x, y, w, h}.
void DirtyRect(const art::TruckRun& run, float left, float kx, const ui::Canvas& c, int out[4]) {
  float box[4] = {0, 0, 0, 0};
  run.Bounds(left, kx, box);
  const int x0 = static_cast<int>(std::floor(c.offset_x + box[0] * c.scale)) - 2;
  const int y0 = static_cast<int>(std::floor(c.offset_y + box[1] * c.scale)) - 2;
  const int x1 = static_cast<int>(std::ceil(c.offset_x + box[2] * c.scale)) + 2;
  const int y1 = static_cast<int>(std::ceil(c.offset_y + box[3] * c.scale)) + 2;
  out[0] = x0, out[1] = y0, out[2] = x1 - x0, out[3] = y1 - y0;
}

void FrameCosts(int width, int height, int frames) {
  uitest::RenderSurface surface(width, height);
  const ui::Canvas canvas = ui::ComputeCanvas(width, height);
  art::TruckRun run;
  for (int i = 0; i < 30 * 12; ++i) run.Step(1.0f / 30);  // at speed, with dust
  float left = 0, kx = 1;
  auto frame = [&](bool widgets) {
    ui::BeginFrame(surface.graphics(), width, height, uitest::MouseAt(-5000, -5000, width, height));
    if (widgets)
      uitest::DrawSampleHome(run, 12, false, &left, &kx);
    else
      art::Backdrop([&](float l, float k) { run.Draw(l, k); });
    ui::EndFrame();
  };
  frame(true);  // the static layer and the emblem's layers are made once per size

  std::vector<double> full, partial, minimal;
  const double cpu0 = CpuSeconds();
  for (int i = 0; i < frames; ++i) {
    const double t0 = Seconds();
    frame(true);
    full.push_back(Seconds() - t0);
  }
  const double full_cpu = (CpuSeconds() - cpu0) / frames;
  double partial_cpu = 0;
  for (int i = 0; i < frames * 5; ++i) {
    int dirty[2][4];
    DirtyRect(run, left, kx, canvas, dirty[0]);
    run.Step(1.0f / 30);
    DirtyRect(run, left, kx, canvas, dirty[1]);
    surface.ClipTo(dirty, 2);
    const double t0 = Seconds(), c0 = CpuSeconds();
    frame(i % 2 == 0);
    (i % 2 == 0 ? partial : minimal).push_back(Seconds() - t0);
    if (i % 2 == 0) partial_cpu += CpuSeconds() - c0;
    surface.ClipTo(nullptr, 0);
  }
  const double f = Median(full) * 1000, p = Median(partial) * 1000, m = Median(minimal) * 1000;
  std::printf("%4d x %-4d  full frame %7.2f ms (processor %7.2f ms)   partial frame %6.2f ms (processor %6.2f ms)   "
              "backdrop and truck only %6.2f ms\n",
              width, height, f, full_cpu * 1000, p, partial_cpu * 1000 / (frames * 5 / 2), m);
}

// Where a full 1280 x 720 frame's time goes: each part of the sample screen alone in a frame.
void PartCosts(int width, int height, int frames) {
  uitest::RenderSurface surface(width, height);
  art::TruckRun run;
  for (int i = 0; i < 30 * 12; ++i) run.Step(1.0f / 30);
  const std::vector<uitest::SamplePart> parts = uitest::SampleHomeParts(run, 12, false);
  auto frame = [&](const std::function<void()>& draw) {
    ui::BeginFrame(surface.graphics(), width, height, uitest::MouseAt(-5000, -5000, width, height));
    draw();
    ui::EndFrame();
  };
  for (const auto& part : parts) frame(part.draw);  // caches warm
  double total = 0;
  std::printf("%4d x %-4d  full frame by part:\n", width, height);
  double total_cpu = 0;
  for (const auto& part : parts) {
    std::vector<double> times;
    const double cpu0 = CpuSeconds();
    for (int i = 0; i < frames; ++i) {
      const double t0 = Seconds();
      frame(part.draw);
      times.push_back(Seconds() - t0);
    }
    const double cpu = (CpuSeconds() - cpu0) / frames;
    total += Median(times);
    total_cpu += cpu;
    std::printf("    %-32s %7.2f ms (processor %7.2f ms)\n", part.name, Median(times) * 1000, cpu * 1000);
  }
  std::vector<double> empty;
  for (int i = 0; i < frames; ++i) {
    const double t0 = Seconds();
    frame([] {});
    empty.push_back(Seconds() - t0);
  }
  std::printf("    %-32s %7.2f ms\n    %-32s %7.2f ms (processor %7.2f ms)\n", "(an empty frame)",
              Median(empty) * 1000, "(sum of the parts)", total * 1000, total_cpu * 1000);
}

// Processor time of single drawing calls at 1280 x 720, each repeated in one frame.
void CallCosts() {
  uitest::RenderSurface surface(1280, 720);
  art::TruckRun run;
  for (int i = 0; i < 30 * 12; ++i) run.Step(1.0f / 30);
  struct Call {
    const char* name;
    std::function<void()> draw;
  };
  using ui::Palette;
  const Call calls[] = {
      {"Backdrop, no truck", [] { art::Backdrop(nullptr); }},
      {"TruckRun::Draw", [&] { run.Draw(-2, 1); }},
      {"Emblem 360", [] { art::Emblem(824, 58, 360, 10); }},
      {"Wordmark 350", [] { art::Wordmark(829, 396, 350); }},
      {"DrawText 18, 22 characters",
       [] { ui::DrawText(L"Wii disc, USA (RKVE01)", ui::FontRole::Body, 18, 298, 300, Palette::text); }},
      {"DrawText 64", [] { ui::DrawText(L"Welcome back, ", ui::FontRole::Display, 64, 84, 118, Palette::text); }},
      {"DrawText spaced, 8 characters", [] {
         ui::DrawText(L"KESTRANE", ui::FontRole::Display, 18, 52, 15, Palette::text, ui::kAlignLeft, 0.14f);
       }},
      {"FillRoundRect 300 x 74, translucent",
       [] { ui::FillRoundRect(896, 600, 300, 74, 9, ui::Fade(Palette::accent, 0.035f)); }},
      {"FillRoundRect 80 x 20, opaque", [] { ui::FillRoundRect(300, 300, 80, 20, 3, Palette::panel); }},
      {"StrokeRoundRect 80 x 20", [] { ui::StrokeRoundRect(300, 300, 80, 20, 3, Palette::line, 1); }},
      {"FillRect 650 x 1, translucent", [] { ui::FillRect(84, 400, 650, 1, Palette::gold_tint); }},
      {"DrawLine 650, translucent", [] { ui::DrawLine(84, 400, 734, 400, Palette::gold_tint, 1); }},
      {"DrawIcon 16", [] { ui::DrawIcon("gear", 84, 626, 16, Palette::gold, 1.8f); }},
      {"FillStar 7", [] { ui::FillStar(91, 300, 7, Palette::ok); }},
      {"PlayButton", [] { ui::PlayButton(L"PLAY", 896, 600, 300, 74, true, false); }},
      {"Chip with tick", [] { ui::Chip(L"VERIFIED", 500, 300, Palette::ok, true); }},
      {"LinkButton with chevron",
       [] { ui::LinkButton(L"Change", 734, 300, 15, Palette::focus, true, nullptr, ui::kAlignRight); }},
      {"SectionTitle", [] { ui::SectionTitle(L"Ready to race", 84, 92, Palette::gold); }},
      {"DrawWrapped 2 lines", [] {
         ui::DrawWrapped(L"Your disc checks out and your build is current. Press Tab or Esc in game for display, "
                         L"sound and controls.",
                         ui::FontRole::Body, 18, 84, 200, 650, Palette::text_dim, 1.45f);
       }},
      {"IconButton", [] { ui::IconButton("gear", 84, 626, L"Settings", nullptr); }},
      {"Badge", [] { ui::Badge(L"ENTER", 700, 626, nullptr); }},
      {"DrawText Mono 12", [] { ui::DrawText(L"launcher 0.1.0", ui::FontRole::Mono, 12, 200, 19, Palette::text_dim); }},
  };
  std::printf("1280 x 720  processor time per call (drawn %d times in a frame):\n", 40);
  for (const Call& call : calls) {
    constexpr int kRepeats = 40;
    ui::BeginFrame(surface.graphics(), 1280, 720, uitest::MouseAt(-5000, -5000));
    call.draw();  // caches warm
    const double cpu0 = CpuSeconds(), t0 = Seconds();
    for (int i = 0; i < kRepeats; ++i) call.draw();
    const double cpu = (CpuSeconds() - cpu0) / kRepeats, wall = (Seconds() - t0) / kRepeats;
    ui::EndFrame();
    std::printf("    %-40s %8.3f ms (wall %8.3f ms)\n", call.name, cpu * 1000, wall * 1000);
  }
}

void MeasureCosts() {
  uitest::RenderSurface surface(1280, 720);
  ui::BeginFrame(surface.graphics(), 1280, 720, ui::Input());
  ui::ForgetTextWidths();
  std::vector<double> first, repeated;
  for (int i = 0; i < 300; ++i) {
    const std::wstring text = L"Indexing game files " + std::to_wstring(i) + L" of 4120";
    double t0 = Seconds();
    ui::MeasureText(text, ui::FontRole::Body, 14);
    first.push_back(Seconds() - t0);
    constexpr int kRepeats = 200;
    t0 = Seconds();
    float sum = 0;
    for (int r = 0; r < kRepeats; ++r) sum += ui::MeasureText(text, ui::FontRole::Body, 14);
    repeated.push_back((Seconds() - t0) / kRepeats);
    if (sum < 0) std::printf("?");
  }
  ui::EndFrame();
  const double a = Median(first) * 1e6, b = Median(repeated) * 1e6;
  std::printf("ui::MeasureText  first measurement %.2f us   repeated %.3f us   (%.0fx cheaper)\n", a, b, a / b);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
  if (!ui::LoadFonts(uitest::BuiltFontsDir())) {
    std::printf("GDI+ failed to start.\n");
    return 1;
  }
  std::printf("medians over %d full and %d partial frames\n", frames, frames * 5 / 2);
  FrameCosts(1280, 720, frames);
  FrameCosts(1920, 1080, frames);
  PartCosts(1280, 720, frames);
  CallCosts();
  MeasureCosts();
  ui::UnloadFonts();
  return 0;
}
