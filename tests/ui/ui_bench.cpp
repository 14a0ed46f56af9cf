// Benchmark of the toolkit's frame costs under the real GDI+: a full home-like frame
// (backdrop with emblem, wordmark, truck and a screenful of widgets) against a partial
// frame (the same frame clipped to the truck's old and new rectangles, as the window
// paints while the backdrop animates), at 1280 x 720 and 1920 x 1080; and the width
// cache: a repeated ui::MeasureText against the first measurement of a string.
//
//   ui_bench.exe [frames]      (default 40 full frames; partial frames are 5 times as many)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ui/render_surface.h"
#include "tests/ui/sample_screen.h"
#include "ui/backdrop.h"
#include "ui/canvas.h"
#include "ui/fonts.h"
#include "ui/interaction.h"
#include "ui/text.h"
#include "ui/truck_run.h"

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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The truck's box in window pixels, widened by 2, as {x, y, w, h}.
void DirtyRect(const ui::TruckRun& run, float left, float kx, const ui::Canvas& c, int out[4]) {
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
  ui::TruckRun run;
  for (int i = 0; i < 30 * 12; ++i) run.Step(1.0f / 30);  // at speed, with dust
  float left = 0, kx = 1;
  auto frame = [&](bool widgets) {
    ui::BeginFrame(surface.graphics(), width, height, uitest::MouseAt(-5000, -5000, width, height));
    if (widgets)
      uitest::DrawSampleHome(run, 12, false, &left, &kx);
    else
      ui::Backdrop([&](float l, float k) { run.Draw(l, k); });
    ui::EndFrame();
  };
  frame(true);  // the static layer and the emblem's layers are made once per size

  std::vector<double> full, partial, minimal;
  for (int i = 0; i < frames; ++i) {
    const double t0 = Seconds();
    frame(true);
    full.push_back(Seconds() - t0);
  }
  for (int i = 0; i < frames * 5; ++i) {
    int dirty[2][4];
    DirtyRect(run, left, kx, canvas, dirty[0]);
    run.Step(1.0f / 30);
    DirtyRect(run, left, kx, canvas, dirty[1]);
    surface.ClipTo(dirty, 2);
    const double t0 = Seconds();
    frame(i % 2 == 0);
    (i % 2 == 0 ? partial : minimal).push_back(Seconds() - t0);
    surface.ClipTo(nullptr, 0);
  }
  const double f = Median(full) * 1000, p = Median(partial) * 1000, m = Median(minimal) * 1000;
  std::printf("%4d x %-4d  full frame %7.2f ms   partial frame %6.2f ms (%4.1f %% of full)   "
              "backdrop and truck only %6.2f ms (%4.1f %%)\n",
              width, height, f, p, 100 * p / f, m, 100 * m / f);
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
  MeasureCosts();
  ui::UnloadFonts();
  return 0;
}
