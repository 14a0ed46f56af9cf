// The backdrop art by pixels at points its geometry fixes: a glow, the wordmark, the truck
// badge and the emblem, each drawn alone on black at a size where one unit is a few pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "art/backdrop.h"
#include "art/emblem.h"
#include "art/wordmark.h"
#include "tests/ui/ui_test_fixture.h"
#include "ui/palette.h"
#include "ui/text.h"

namespace {

using ui::Palette;
using uitest::ColorDistance;

constexpr float kPi = 3.14159265f;

// a with alpha over b, both 0xRRGGBB.
uint32_t Blend(uint32_t a, float alpha, uint32_t b) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const float mixed = ((a >> shift) & 0xFF) * alpha + ((b >> shift) & 0xFF) * (1 - alpha);
    out |= static_cast<uint32_t>(std::lround(mixed)) << shift;
  }
  return out;
}
// The colour with alpha over black.
uint32_t Over(uint32_t rgb, float alpha) { return Blend(rgb, alpha, 0); }
uint32_t Rgb(uint32_t argb) { return argb & 0xFFFFFF; }

class ArtTest : public uitest::UiTest {
 protected:
  // Expects the pixel at design point (x, y) within `tolerance` of rgb.
  void Expect(float x, float y, uint32_t rgb, int tolerance, const char* what) {
    if (x < 0 || y < 0 || x >= surface_->width() || y >= surface_->height()) {
      ADD_FAILURE() << what << " at " << x << "," << y << " is outside the picture";
      return;
    }
    const uint32_t got = Pixel(static_cast<int>(x), static_cast<int>(y));
    EXPECT_LE(ColorDistance(rgb, got), tolerance)
        << what << " at " << x << "," << y << ": " << std::hex << got << " instead of " << rgb;
  }
};

// [SECTION] Glow

TEST_F(ArtTest, AGlowFadesFromItsCentreToNothingAtItsRim) {
  Frame(ui::Input(), [] { art::Glow(640, 360, 400, 200, 0.8f, 0.4f); });
  const uint32_t sun = Rgb(Palette::sun);
  Expect(640, 360, Over(sun, 204 / 255.0f), 6, "centre");
  Expect(640 + 410, 360, 0, 0, "outside");
  Expect(640, 360 - 205, 0, 0, "outside");
  // An ellipse: as bright at 55 % of rx as at 55 % of ry, and darker further out. (The
  // 45 % stop's own alpha is not checked: Wine's GDI+ ignores a path gradient's preset
  // blend and fades linearly.)
  const uint32_t across = Pixel(640 + 220, 360), down = Pixel(640, 360 + 110);
  EXPECT_LE(ColorDistance(across, down), 6);
  EXPECT_GT(across & 0xFF0000, Pixel(640 + 320, 360) & 0xFF0000);
  EXPECT_GT(Pixel(640 + 320, 360) & 0xFF0000, 0u);
  EXPECT_LT(across & 0xFF0000, Pixel(640 + 100, 360) & 0xFF0000);
}

// [SECTION] Wordmark

TEST_F(ArtTest, TheWordmarksBarStarSpeedLineCaptionAndCentredName) {
  // 1280 wide: the 440 x 120 box at 32 / 11 pixels a unit.
  const float k = 1280.0f / 440;
  Frame(ui::Input(), [] { art::Wordmark(0, 0, 1280); });
  const uint32_t gold = Rgb(Palette::gold);
  Expect(230 * k, 112 * k, gold, 6, "underline bar");
  Expect(110.5f * k, 114 * k, gold, 6, "bar's slanted left end");
  Expect(104 * k, 112 * k, 0, 0, "left of the bar");
  Expect(363 * k, 112 * k, gold, 6, "star");
  Expect(363 * k, 102 * k, gold, 6, "star's top point");
  // The speed lines mostly lie behind the name; what shows of each has its colour and
  // lies inside its rectangle, slanted -14 degrees about its centre line.
  struct SpeedLine {
    float x, y, w, h, alpha;
  };
  const SpeedLine lines[] = {{64, 58, 60, 6, 230}, {54, 72, 52, 6, 153}, {68, 86, 44, 6, 89}};
  for (const SpeedLine& l : lines) {
    const uint32_t want = Over(Rgb(Palette::focus), l.alpha / 255);
    int inside = 0, outside = 0;
    for (int py = 0; py < static_cast<int>(120 * k); ++py)
      for (int px = 0; px < static_cast<int>(200 * k); ++px) {
        if (ColorDistance(want, Pixel(px, py)) > 6) continue;
        const float y = (py + 0.5f) / k, x = (px + 0.5f) / k - std::tan(-14 * kPi / 180) * (y - (l.y + l.h / 2));
        const bool in = x > l.x - 0.5f && x < l.x + l.w + 0.5f && y > l.y - 0.5f && y < l.y + l.h + 0.5f;
        (in ? inside : outside)++;
      }
    EXPECT_GT(inside, 10) << "speed line at y " << l.y;
    EXPECT_EQ(0, outside) << "speed line at y " << l.y;
  }

  // The caption's first letter starts at x 80 on the baseline 36, in gold.
  int caption = 0;
  for (int x = static_cast<int>(78 * k); x < static_cast<int>(95 * k); ++x)
    for (int y = static_cast<int>(22 * k); y < static_cast<int>(35 * k); ++y) caption += Pixel(x, y) == gold;
  EXPECT_GT(caption, 20) << "the caption's S";
  for (int y = static_cast<int>(22 * k); y < static_cast<int>(35 * k); ++y)
    EXPECT_EQ(0u, Pixel(static_cast<int>(76 * k), y)) << "nothing left of the caption";

  // The name's face: the gradient white -> 0xFFE9A8 at 0.55 -> gold from y 36 to 100,
  // under a 30 % white shine above y 64. The face's columns, over all its rows, centre on
  // x 232 (the slant moves single rows to either side).
  const uint32_t light = 0xFFE9A8;
  auto face_at = [&](float y) {
    const float t = (y - 36) / 64;
    uint32_t c = t < 0.55f ? Blend(light, t / 0.55f, 0xFFFFFF) : Blend(gold, (t - 0.55f) / 0.45f, light);
    return y < 64 ? Blend(0xFFFFFF, 77 / 255.0f, c) : c;
  };
  int left = 10000, right = -1;
  for (float y = 44; y <= 92; y += 2) {
    const uint32_t want = face_at(y);
    int found = 0;
    for (int x = 0; x < 1280; ++x) {
      if (ColorDistance(want, Pixel(x, static_cast<int>(y * k))) > 8) continue;
      ++found;
      left = std::min(left, x);
      right = std::max(right, x);
    }
    EXPECT_GT(found, 50) << "face colour " << std::hex << want << " in row " << std::dec << y;
  }
  EXPECT_NEAR(232, (left + right) / 2.0f / k, 2);
  EXPECT_GT((right - left) / k, 300);
}

// [SECTION] Truck badge and emblem

// Where a point of the truck drawing lands in a badge at (bx, by) of w x h units: turned
// -10 degrees about (205, 250), moved by (-90, -160), scaled to the 230 x 140 box.
void BadgePoint(float px, float py, float bx, float by, float w, float h, float* x, float* y) {
  const float a = -10 * kPi / 180, dx = px - 205, dy = py - 250;
  const float rx = 205 + dx * std::cos(a) - dy * std::sin(a), ry = 250 + dx * std::sin(a) + dy * std::cos(a);
  *x = bx + (rx - 90) * w / 230;
  *y = by + (ry - 160) * h / 140;
}

TEST_F(ArtTest, TheTruckBadgeIsTiltedTenDegreesInItsBox) {
  Frame(ui::Input(), [] { art::TruckBadge(0, 0, 920, 560); });  // four pixels a unit
  struct Spot {
    float px, py;
    uint32_t rgb;
    const char* what;
  };
  const Spot spots[] = {
      {226, 197, Rgb(Palette::focus), "window"},  {140, 225, Rgb(Palette::ink), "body, front"},
      {295, 225, Rgb(Palette::ink), "body, rear"}, {200, 236, Rgb(Palette::accent), "stripe"},
      {224, 177, Rgb(Palette::text), "roof outline"}, {142, 262, Rgb(Palette::ink), "front wheel"},
      {272, 294, Rgb(Palette::text), "rear wheel's rim"}, {205, 165, 0, "above the roof"},
  };
  for (const Spot& s : spots) {
    float x, y;
    BadgePoint(s.px, s.py, 0, 0, 920, 560, &x, &y);
    Expect(x, y, s.rgb, 6, s.what);
  }
  // Either side of the window's slanted rear edge, (250, 185) to (266, 208), 1.5 units off
  // it: a few degrees more or less turn would move the edge past one of them.
  const float nx = 23 / 28.02f, ny = -16 / 28.02f;
  for (float side : {-1.5f, 1.5f}) {
    float x, y;
    BadgePoint(258 + side * nx, 196.5f + side * ny, 0, 0, 920, 560, &x, &y);
    Expect(x, y, Rgb(side < 0 ? Palette::focus : Palette::ink), 6, side < 0 ? "window's edge" : "beside the window");
  }
  // The hubs: a gold dashed circle of radius 22 about each wheel's centre.
  int gold = 0, other = 0;
  for (int i = 0; i < 72; ++i) {
    float x, y;
    BadgePoint(142 + 22 * std::cos(i * kPi / 36), 262 + 22 * std::sin(i * kPi / 36), 0, 0, 920, 560, &x, &y);
    (Pixel(static_cast<int>(x), static_cast<int>(y)) == Rgb(Palette::gold) ? gold : other)++;
  }
  EXPECT_GT(gold, 20);
  EXPECT_GT(other, 10) << "dashed, not solid";
}

TEST_F(ArtTest, TheEmblemsLayersAndTurningRingAtTheirPoints) {
  art::ForgetEmblemLayers();
  const float k = 1.8f;  // a 720-pixel emblem
  Frame(ui::Input(), [] { art::Emblem(0, 0, 720, 0); });
  // The back glow: Fade(sun, 0.3) at (200, 205) fading linearly to nothing at radius 190.
  auto glow = [](float x, float y) {
    const float r = std::hypot(x - 200, y - 205);
    return Over(Rgb(Palette::sun), 77 / 255.0f * (1 - r / 190));
  };
  Expect(120 * k, 130 * k, glow(120, 130), 6, "back glow");
  // The star: a gradient from gold at (128, 68) to accent at (272, 212); (200, 100) lies
  // (72 + 32) / 288 of the way.
  Expect(200 * k, 100 * k, Blend(Rgb(Palette::accent), 104 / 288.0f, Rgb(Palette::gold)), 6, "star");
  // The ring of radius 140 in Fade(focus, 0.9) over the glow.
  Expect(200 * k, 345 * k, Blend(Rgb(Palette::focus), 230 / 255.0f, glow(200, 345)), 8, "tilted ring");
  // The ring's line turned -12 degrees about (200, 205), in Fade(focus, 0.5).
  const float lx = 200 + 100 * std::cos(12 * kPi / 180), ly = 205 - 100 * std::sin(12 * kPi / 180);
  Expect(lx * k, ly * k, Blend(Rgb(Palette::focus), 128 / 255.0f, glow(lx, ly)), 8, "ring's line");
  Expect(40 * k, 236 * k, Blend(Rgb(Palette::text), 140 / 255.0f, glow(40, 236)), 8, "top speed line");
  Expect(96 * k, 318 * k, Blend(Rgb(Palette::gold), 204 / 255.0f, glow(96, 318)), 8, "dust dot");
  float bx, by;
  BadgePoint(226, 197, 95, 160, 230, 140, &bx, &by);
  Expect(bx * k, by * k, Rgb(Palette::focus), 6, "the badge's window");
  // The turning ring's big star sits at the top at 0 degrees and at the right at 90.
  Expect(200 * k, 37 * k, Rgb(Palette::gold), 6, "ring star at 0 degrees");
  surface_->Clear(0xFF000000);
  Frame(ui::Input(), [] { art::Emblem(0, 0, 720, 90); });
  Expect(368 * k, 205 * k, Rgb(Palette::gold), 6, "ring star at 90 degrees");
  EXPECT_GT(ColorDistance(Rgb(Palette::gold), Pixel(static_cast<int>(200 * k), static_cast<int>(37 * k))), 100);
}

}  // namespace
