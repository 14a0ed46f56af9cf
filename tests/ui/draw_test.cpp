// The canvas, the colour functions, the primitives and the state stack.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_fixture.h"
#include "ui/canvas.h"
#include "ui/draw.h"
#include "ui/palette.h"

namespace {

using uitest::UiTest;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

TEST(CanvasTest, ScalesUniformlyAndCentresTheDesignCanvas) {
  ui::Canvas c = ui::ComputeCanvas(1920, 1080);
  EXPECT_FLOAT_EQ(1.5f, c.scale);
  EXPECT_FLOAT_EQ(0.0f, c.offset_x);
  EXPECT_FLOAT_EQ(0.0f, c.offset_y);
  EXPECT_FLOAT_EQ(0.0f, c.view_left);
  EXPECT_FLOAT_EQ(1280.0f, c.view_right);

  // Narrower than 16:9: bars above and below.
  c = ui::ComputeCanvas(1000, 720);
  EXPECT_FLOAT_EQ(0.78125f, c.scale);
  EXPECT_FLOAT_EQ(0.0f, c.offset_x);
  EXPECT_FLOAT_EQ(78.75f, c.offset_y);

  // Wider: the view reaches past the canvas on both sides, where backgrounds extend.
  c = ui::ComputeCanvas(2560, 720);
  EXPECT_FLOAT_EQ(1.0f, c.scale);
  EXPECT_FLOAT_EQ(640.0f, c.offset_x);
  EXPECT_FLOAT_EQ(-640.0f, c.view_left);
  EXPECT_FLOAT_EQ(1920.0f, c.view_right);
}

TEST(ColorTest, FadeRoundsAndSaturatesTheAlphaOnly) {
  EXPECT_EQ(0x59F4EFFBu, ui::Fade(ui::Palette::text, 0.35f));
  EXPECT_EQ(0x00F4EFFBu, ui::Fade(ui::Palette::text, 0.0f));
  EXPECT_EQ(0xFFF4EFFBu, ui::Fade(ui::Palette::text, 1.7f));
  EXPECT_EQ(0x00F4EFFBu, ui::Fade(ui::Palette::text, -2.0f));
  EXPECT_EQ(0x0E4CC4FFu, ui::Fade(ui::Palette::focus_tint, 0.55f));  // 26 * 0.55 = 14.3
}

TEST(ColorTest, MixRoundsEveryChannelAndSaturates) {
  EXPECT_EQ(0xFF808080u, ui::Mix(0xFF000000, 0xFFFFFFFF, 0.5f));
  EXPECT_EQ(0x12345678u, ui::Mix(0x12345678, 0xFFFFFFFF, 0.0f));
  EXPECT_EQ(0xFFFFFFFFu, ui::Mix(0x12345678, 0xFFFFFFFF, 1.0f));
  EXPECT_EQ(0xFFFFFFFFu, ui::Mix(0xFF000000, 0xFF808080, 2.5f));
  EXPECT_EQ(0xFF000000u, ui::Mix(0xFF404040, 0xFF808080, -3.0f));
  // Alpha mixes like the colours do.
  EXPECT_EQ(0x80000000u, ui::Mix(0x00000000, 0xFF000000, 0.5f));
}

class PathTest : public ::testing::Test {
 protected:
  void SetUp() override { Gdiplus::DllExports::GdipCreatePath(Gdiplus::FillModeAlternate, &path_); }
  void TearDown() override { Gdiplus::DllExports::GdipDeletePath(path_); }
  bool Inside(float x, float y) {
    BOOL in = FALSE;
    Gdiplus::DllExports::GdipIsVisiblePathPoint(path_, x, y, nullptr, &in);
    return in != FALSE;
  }
  Gdiplus::RectF Bounds() {
    Gdiplus::RectF r;
    Gdiplus::DllExports::GdipGetPathWorldBounds(path_, &r, nullptr, nullptr);
    return r;
  }
  Gdiplus::GpPath* path_ = nullptr;
};

TEST_F(PathTest, RoundRectRadiusIsClampedToHalfTheSmallerSide) {
  ui::AddRoundRect(path_, 0, 0, 100, 40, 500);
  const Gdiplus::RectF r = Bounds();
  EXPECT_NEAR(0, r.X, 0.01);
  EXPECT_NEAR(100, r.Width, 0.01);
  EXPECT_NEAR(40, r.Height, 0.01);
  // A capsule: the ends are half circles of radius 20.
  EXPECT_FALSE(Inside(3, 3));
  EXPECT_TRUE(Inside(1, 20));
  EXPECT_TRUE(Inside(50, 1));
  EXPECT_FALSE(Inside(97, 37));
}

TEST_F(PathTest, RoundRectWithoutRadiusIsAPlainRectangle) {
  ui::AddRoundRect(path_, 10, 10, 30, 20, 0);
  INT count = 0;
  Gdiplus::DllExports::GdipGetPointCount(path_, &count);
  EXPECT_EQ(4, count);
  EXPECT_TRUE(Inside(11, 11));
  EXPECT_TRUE(Inside(38, 28));
  EXPECT_FALSE(Inside(42, 28));
}

class PrimitiveTest : public UiTest {};

TEST_F(PrimitiveTest, AStrokeNeverPaintsOutsideItsRectangle) {
  for (float radius : {0.0f, 8.0f}) {
    surface_->Clear(0xFF000000);
    Frame(ui::Input(), [&] { ui::StrokeRoundRect(10, 10, 100, 40, radius, 0xFFFFFFFF, 2); });
    for (int x = 0; x < 130; ++x) {
      EXPECT_EQ(kBlack, Pixel(x, 9)) << "above, x " << x;
      EXPECT_EQ(kBlack, Pixel(x, 50)) << "below, x " << x;
    }
    for (int y = 0; y < 70; ++y) {
      EXPECT_EQ(kBlack, Pixel(9, y)) << "left, y " << y;
      EXPECT_EQ(kBlack, Pixel(110, y)) << "right, y " << y;
    }
    // The 2-unit pen covers the two outermost pixel rows and columns.
    EXPECT_EQ(kWhite, Pixel(60, 10));
    EXPECT_EQ(kWhite, Pixel(60, 11));
    EXPECT_EQ(kBlack, Pixel(60, 13));
    EXPECT_EQ(kWhite, Pixel(10, 30));
    EXPECT_EQ(kWhite, Pixel(109, 30));
  }
}

TEST_F(PrimitiveTest, TheFrameMapsTheCanvasIntoTheLetterbox) {
  Resize(1000, 720);
  Frame(ui::Input(), [] { ui::FillRect(0, 0, 1280, 720, 0xFFFFFFFF); });
  EXPECT_EQ(kBlack, Pixel(500, 77));   // the bar above
  EXPECT_EQ(kWhite, Pixel(500, 80));
  EXPECT_EQ(kWhite, Pixel(500, 639));
  EXPECT_EQ(kBlack, Pixel(500, 642));  // the bar below
}

TEST_F(PrimitiveTest, StarHasFivePointsAndAnInnerRadiusOfPointFourTwo) {
  Frame(ui::Input(), [] { ui::FillStar(200, 200, 100, 0xFFFFFFFF); });
  EXPECT_EQ(kWhite, Pixel(200, 200));
  EXPECT_EQ(kWhite, Pixel(200, 110));  // the top point
  EXPECT_EQ(kWhite, Pixel(290, 172));  // the right point
  EXPECT_EQ(kWhite, Pixel(200, 238));  // just inside the notch between the lower points
  EXPECT_EQ(kBlack, Pixel(200, 250));
  EXPECT_EQ(kBlack, Pixel(260, 150));  // between the top and right points
}

TEST_F(PrimitiveTest, ClipAndSkewApplyUntilTheirPop) {
  Frame(ui::Input(), [] {
    ui::PopState();  // nothing pushed: harmless
    ui::PushClip(0, 0, 50, 50);
    ui::FillRect(0, 0, 100, 100, 0xFFFFFFFF);
    ui::PopState();
    ui::FillRect(200, 0, 100, 100, 0xFF0000FF);
    ui::PopState();
  });
  EXPECT_EQ(kWhite, Pixel(40, 40));
  EXPECT_EQ(kBlack, Pixel(60, 60));
  EXPECT_EQ(0x0000FFu, Pixel(250, 50));

  surface_->Clear(0xFF000000);
  Frame(ui::Input(), [] {
    ui::PushSkew(0, 100, -14);  // x' = x + tan(-14) (y - 100): the top leans right
    ui::FillRect(200, 80, 20, 40, 0xFFFFFFFF);
    ui::PopState();
    ui::FillRect(400, 80, 20, 40, 0xFFFFFFFF);
  });
  EXPECT_EQ(kWhite, Pixel(205, 100));  // the centre line stays put
  EXPECT_EQ(kWhite, Pixel(223, 81));   // top shifted right by about 5
  EXPECT_EQ(kBlack, Pixel(201, 81));
  EXPECT_EQ(kWhite, Pixel(196, 118));  // bottom shifted left
  EXPECT_EQ(kWhite, Pixel(401, 81));   // after the pop nothing slants
  EXPECT_EQ(kBlack, Pixel(423, 81));
}

TEST_F(PrimitiveTest, APartialFrameSkipsOnlyWhatLiesOutsideItsPaintRectangles) {
  Resize(1920, 1080);  // design units are 1.5 pixels: the test must go through the transform
  const RECT paint[] = {{300, 150, 360, 210}, {900, 600, 960, 660}};  // design 200..240 x 100..140 and 600..640 x 400..440
  // No clip: what IsVisible denies here, only the paint rectangles deny.
  struct Case {
    float x, y, w, h;
    bool visible;
    const char* what;
  } cases[] = {
      {210, 110, 10, 10, true, "inside the first"},
      {610, 410, 10, 10, true, "inside the second"},
      {100, 100, 100, 10, true, "ending at the first's left edge"},
      {300, 150, 10, 10, false, "at the first's pixel numbers, in design units"},
      {100, 300, 50, 50, false, "between them"},
      {0, 0, 1280, 720, true, "over both"},
  };
  Frame(ui::Input(), [&] {
    ui::SetPaintRects(surface_->graphics(), paint, 2);
    for (const Case& c : cases) EXPECT_EQ(c.visible, ui::IsVisible(c.x, c.y, c.w, c.h)) << c.what;
    // A skew moves the top of a box under x = 160 into the first rectangle.
    ui::PushSkew(0, 400, -14);
    EXPECT_TRUE(ui::IsVisible(150, 100, 10, 10)) << "skewed into the first";
    ui::PopState();
    ui::FillRoundRect(150, 90, 80, 20, 4, 0xFFFFFFFF);  // culled, half inside the first
  });
  EXPECT_EQ(kWhite, Pixel(320, 155));
  // The next frame is whole again.
  Frame(ui::Input(), [] { EXPECT_TRUE(ui::IsVisible(100, 300, 50, 50)); });
}

TEST_F(PrimitiveTest, NothingIsDrawnOutsideAFrame) {
  ui::FillRect(0, 0, 100, 100, 0xFFFFFFFF);
  ui::FillRoundRect(0, 0, 100, 100, 4, 0xFFFFFFFF);
  ui::FillStar(50, 50, 20, 0xFFFFFFFF);
  ui::PushClip(0, 0, 10, 10);
  ui::PopState();
  EXPECT_EQ(kBlack, Pixel(50, 50));
  EXPECT_FALSE(ui::IsVisible(0, 0, 100, 100));
}

}  // namespace
