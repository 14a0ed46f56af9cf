// Buttons, indicators and value controls: the activation rules with synthetic frames and
// the look with the pixels of the rendered frame.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/ui/ui_test_fixture.h"
#include "ui/buttons.h"
#include "ui/indicators.h"
#include "ui/interaction.h"
#include "ui/palette.h"
#include "ui/text.h"
#include "ui/value_controls.h"

namespace {

using ui::FontRole;
using ui::Palette;

class WidgetTest : public uitest::UiTest {
 protected:
  // The screen under test, drawn every frame.
  std::function<void()> screen = [] {};

  void Run(const ui::Input& in) { Frame(in, screen); }
  ui::Input Nav(uint8_t ui::Input::*flag) {
    ui::Input in;
    in.*flag = 1;
    return in;
  }
  void Move(float x, float y, bool button_down = false) {
    ui::Input in = At(x, y);
    in.mouse_moved = 1;
    in.mouse_down = button_down;
    Run(in);
  }
  void Press(float x, float y) {
    ui::Input in = At(x, y);
    in.mouse_pressed = in.mouse_down = 1;
    Run(in);
  }
  void Release(float x, float y) {
    ui::Input in = At(x, y);
    in.mouse_released = 1;
    Run(in);
  }
  void Click(float x, float y) {
    Press(x, y);
    Release(x, y);
  }
  // The keyboard focus on id with the ring shown.
  void FocusOn(int id) {
    ui::Ctx().focus = id;
    ui::Ctx().focus_visible = true;
  }
  bool HasColor(int x0, int y0, int x1, int y1, uint32_t rgb) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (Pixel(x, y) == (rgb & 0xFFFFFF)) return true;
    return false;
  }
};

// [SECTION] Buttons

TEST_F(WidgetTest, AButtonShowsItsLabelUpperCasedAndIsFiftyTwoUnitsWiderThanIt) {
  float w = 0, upper = 0, lower = 0;
  screen = [&] {
    ui::Button(L"Play", 100, 100, &w);
    upper = ui::MeasureTextSpaced(L"PLAY", FontRole::Display, 17, 0.12f);
    lower = ui::MeasureTextSpaced(L"Play", FontRole::Display, 17, 0.12f);
  };
  Run(ui::Input());
  EXPECT_FLOAT_EQ(upper + 52, w);
  EXPECT_NE(upper, lower);
  EXPECT_TRUE(HasColor(126, 112, static_cast<int>(100 + w), 132, Palette::text));
}

TEST_F(WidgetTest, OverlappingButtonsGiveTheClickToTheFirstDrawn) {
  std::vector<bool> got;
  screen = [&] {
    got = {ui::Button(L"One", 100, 100), ui::Button(L"Two", 100, 100)};
  };
  Click(130, 120);
  EXPECT_EQ((std::vector<bool>{true, false}), got);
}

TEST_F(WidgetTest, ADisabledButtonTakesAFocusIdButNeverActivates) {
  bool activated = false;
  int next_id = -1;
  screen = [&] {
    activated = ui::Button(L"Open folder", 100, 100, nullptr, false);
    next_id = ui::Focusable(0, 0, 1, 1);
  };
  Click(130, 120);
  EXPECT_FALSE(activated);
  EXPECT_EQ(1, next_id);
  FocusOn(0);
  Run(Nav(&ui::Input::nav_activate));
  EXPECT_FALSE(activated);
  EXPECT_FALSE(ui::Ctx().consumed);
  // Dimmed label, never the primary text colour.
  EXPECT_TRUE(HasColor(126, 112, 200, 132, Palette::text_dim));
  EXPECT_FALSE(HasColor(126, 112, 200, 132, Palette::text));
}

TEST_F(WidgetTest, DraggingOffAButtonCancelsAndDraggingBackCompletesTheClick) {
  bool activated = false;
  screen = [&] { activated = activated || ui::Button(L"Continue", 100, 100); };
  Press(130, 120);
  Move(400, 300, true);
  Release(400, 300);
  EXPECT_FALSE(activated);
  Press(130, 120);
  Move(400, 300, true);
  Move(135, 125, true);
  Release(135, 125);
  EXPECT_TRUE(activated);
}

TEST_F(WidgetTest, ThePlayButtonActivatesFromTheKeyboardWhenFocused) {
  bool played = false;
  screen = [&] { played = ui::PlayButton(L"PLAY", 896, 600, 300, 74, true, false); };
  FocusOn(1);
  Run(Nav(&ui::Input::nav_activate));
  EXPECT_FALSE(played);
  FocusOn(0);
  Run(Nav(&ui::Input::nav_activate));
  EXPECT_TRUE(played);
  // The focus ring of the big button is white, not blue.
  EXPECT_TRUE(HasColor(880, 590, 1215, 600, Palette::text));
  EXPECT_FALSE(HasColor(880, 580, 1215, 690, Palette::focus));
}

TEST_F(WidgetTest, ARightAlignedLinkEndsAtItsAnchor) {
  float w = 0, text = 0;
  bool activated = false;
  screen = [&] {
    activated = ui::LinkButton(L"Rebuild", 734, 300, 15, Palette::focus, true, &w, ui::kAlignRight);
    text = ui::MeasureText(L"Rebuild", FontRole::Semibold, 15);
  };
  Run(ui::Input());
  EXPECT_FLOAT_EQ(text + 0.6f * 15 + 6, w);
  for (int x = 736; x < 760; ++x)
    for (int y = 295; y < 325; ++y) ASSERT_EQ(0u, Pixel(x, y)) << x << "," << y;
  EXPECT_TRUE(HasColor(static_cast<int>(734 - w), 300, 734, 322, Palette::focus));
  Click(735, 305);  // inside the 2-unit margin of the hit rectangle
  EXPECT_TRUE(activated);
  Click(737, 305);
  EXPECT_FALSE(activated);
}

TEST_F(WidgetTest, AnIconButtonWithoutLabelIsTwentyFourWideWithAThirtyTwoByThirtyHitArea) {
  float w = 0;
  bool activated = false;
  screen = [&] { activated = ui::IconButton("gear", 100, 100, L"", &w); };
  Run(ui::Input());
  EXPECT_FLOAT_EQ(24, w);
  Click(96, 96);
  EXPECT_TRUE(activated);
  Click(127.9f, 125.9f);
  EXPECT_TRUE(activated);
  Click(128.1f, 110);
  EXPECT_FALSE(activated);
  Click(110, 126.1f);
  EXPECT_FALSE(activated);
}

// [SECTION] Indicators

TEST_F(WidgetTest, TheProgressBarFillsItsFractionWithAFullCapAtLeast) {
  auto bar = [&](float fraction) {
    surface_->Clear(0xFF000000);
    screen = [&] { ui::ProgressBar(100, 100, 200, 8, fraction); };
    Run(ui::Input());
  };
  const uint32_t track = Palette::line & 0xFFFFFF;
  bar(0);
  EXPECT_EQ(track, Pixel(104, 104));
  EXPECT_EQ(track, Pixel(296, 104));
  bar(0.001f);  // 0.2 units of fill grow to the 8-unit cap
  EXPECT_NE(track, Pixel(104, 104));
  EXPECT_EQ(track, Pixel(112, 104));
  bar(1.7f);  // clamped to the bar
  EXPECT_NE(track, Pixel(296, 104));
  EXPECT_GT(uitest::ColorDistance(Pixel(296, 104), track), 200);
  EXPECT_EQ(0u, Pixel(301, 104));
}

TEST_F(WidgetTest, ChipsAndBadgesMeasureTheirText) {
  float badge = 0, spaced = 0, chip = 0, ticked = 0;
  screen = [&] {
    ui::Badge(L"A", 0, 0, &badge);
    spaced = ui::MeasureTextSpaced(L"READY", FontRole::Label, 11, 0.12f);
    chip = ui::ChipWidth(L"READY", false);
    ticked = ui::ChipWidth(L"READY", true);
  };
  Run(ui::Input());
  EXPECT_FLOAT_EQ(24, badge);  // at least 24 wide
  EXPECT_FLOAT_EQ(spaced + 14, chip);
  EXPECT_FLOAT_EQ(spaced + 29, ticked);
}

TEST_F(WidgetTest, TheFocusRingShowsOnlyWhileKeyboardFocusIsShown) {
  screen = [] { ui::FocusRing(100, 100, 200, 40, 4); };
  Run(ui::Input());
  EXPECT_FALSE(HasColor(90, 90, 310, 150, Palette::focus));
  ui::Ctx().focus_visible = true;
  Run(ui::Input());
  EXPECT_TRUE(HasColor(95, 90, 310, 100, Palette::focus));
  EXPECT_EQ(0u, Pixel(200, 120));
}

// [SECTION] Value controls

const std::vector<std::wstring> kModes = {L"Windowed", L"Borderless", L"Fullscreen"};

TEST_F(WidgetTest, SegmentsStepWithoutWrappingAndOnlyARealStepConsumes) {
  int index = 0;
  bool changed = false;
  screen = [&] { changed = ui::Segmented(kModes, &index, 100, 100, 0, 34); };
  FocusOn(0);
  Run(Nav(&ui::Input::nav_left));
  EXPECT_EQ(0, index);
  EXPECT_FALSE(changed);
  EXPECT_FALSE(ui::Ctx().consumed);
  Run(Nav(&ui::Input::nav_right));
  EXPECT_EQ(1, index);
  EXPECT_TRUE(changed && ui::Ctx().consumed);
  index = 2;
  Run(Nav(&ui::Input::nav_right));
  EXPECT_EQ(2, index);
  EXPECT_FALSE(ui::Ctx().consumed);
  // Keys need the focus.
  FocusOn(5);
  Run(Nav(&ui::Input::nav_left));
  EXPECT_EQ(2, index);
}

TEST_F(WidgetTest, AClickedSegmentIsGoldInTheFrameThatTookTheClick) {
  int index = 0;
  float first = 0;
  bool changed = false;
  screen = [&] {
    first = ui::MeasureText(kModes[0], FontRole::Semibold, 14) + 32;
    changed = ui::Segmented(kModes, &index, 100, 100, 0, 34);
  };
  Run(ui::Input());
  const int second_x = static_cast<int>(100 + first + 4);
  EXPECT_NE(Palette::gold & 0xFFFFFF, Pixel(second_x, 104));
  Click(static_cast<float>(second_x), 117);
  EXPECT_EQ(1, index);
  EXPECT_TRUE(changed);
  EXPECT_EQ(Palette::gold & 0xFFFFFF, Pixel(second_x, 104));
  EXPECT_NE(Palette::gold & 0xFFFFFF, Pixel(104, 117));
}

TEST_F(WidgetTest, TheToggleFollowsClicksActivateAndLeftRight) {
  bool on = true, changed = false;
  screen = [&] { changed = ui::Toggle(&on, 100, 100, 0); };
  FocusOn(0);
  Run(Nav(&ui::Input::nav_right));  // already On: no change, but the key is used
  EXPECT_TRUE(on);
  EXPECT_FALSE(changed);
  EXPECT_TRUE(ui::Ctx().consumed);
  Run(Nav(&ui::Input::nav_left));
  EXPECT_FALSE(on);
  EXPECT_TRUE(changed);
  Run(Nav(&ui::Input::nav_activate));
  EXPECT_TRUE(on);
  Click(170, 110);  // the caption is part of the 90-unit hit area
  EXPECT_FALSE(on);
  Click(195, 110);
  EXPECT_FALSE(on);
  // A click in a frame that also carries Left sets Off rather than flipping.
  on = true;
  Press(110, 110);
  ui::Input both = At(110, 110);
  both.mouse_released = both.nav_left = 1;
  Run(both);
  EXPECT_FALSE(on);
}

TEST_F(WidgetTest, TheSliderSnapsToWholeStepsAndClampsKeys) {
  int value = 0;
  bool changed = false;
  // Track from 100, 244 units long (300 - 56).
  screen = [&] { changed = ui::Slider(&value, 0, 100, 5, 100, 200, 300, 0, L"%"); };
  Press(100 + 0.43f * 244, 215);
  EXPECT_EQ(45, value);
  EXPECT_TRUE(changed);
  Move(100 + 2.0f * 244, 400, true);  // past the end and off the track: still dragging
  EXPECT_EQ(100, value);
  Release(500, 400);
  Run(ui::Input());
  EXPECT_EQ(-1, ui::Ctx().active);

  FocusOn(0);
  Run(Nav(&ui::Input::nav_right));
  EXPECT_EQ(100, value);
  EXPECT_FALSE(changed);
  EXPECT_TRUE(ui::Ctx().consumed);
  Run(Nav(&ui::Input::nav_left));
  EXPECT_EQ(95, value);

  // A press outside the grab area starts nothing.
  Press(100 + 0.5f * 244, 240);
  EXPECT_EQ(95, value);
}

TEST_F(WidgetTest, TheSliderFillsUpToItsValue) {
  int value = 0;
  screen = [&] { ui::Slider(&value, 0, 100, 5, 100, 200, 300, 3, nullptr); };
  Run(ui::Input());
  const uint32_t track = Palette::line & 0xFFFFFF;
  EXPECT_EQ(track, Pixel(140, 217));
  EXPECT_EQ(track, Pixel(320, 217));
  value = 50;
  Run(ui::Input());
  EXPECT_GT(uitest::ColorDistance(track, Pixel(140, 217)), 200);
  EXPECT_EQ(track, Pixel(320, 217));
}

TEST_F(WidgetTest, ASliderWithAnEmptyRangeOrNoStepStaysUsable) {
  int value = 7;
  int step = 0;
  screen = [&] { ui::Slider(&value, 7, 7, step, 100, 200, 300, 0, L" fps"); };
  Press(300, 215);
  Release(300, 215);
  EXPECT_EQ(7, value);
  FocusOn(0);
  Run(Nav(&ui::Input::nav_right));
  EXPECT_EQ(7, value);
  // A step of 0 moves by whole units.
  screen = [&] { ui::Slider(&value, 0, 10, step, 100, 200, 300, 0, nullptr); };
  Run(Nav(&ui::Input::nav_right));
  EXPECT_EQ(8, value);
  Press(100 + 0.5f * 244, 215);
  EXPECT_EQ(5, value);
}

TEST_F(WidgetTest, TheSelectorWrapsBothWaysAndActivateSteps) {
  const std::vector<std::wstring> sizes = {L"1280 x 720", L"1920 x 1080", L"2560 x 1440"};
  int index = 0;
  bool changed = false;
  screen = [&] { changed = ui::Selector(sizes, &index, 100, 100, 300, 0); };
  Click(120, 118);  // left half
  EXPECT_EQ(2, index);
  Click(380, 118);  // right half
  EXPECT_EQ(0, index);
  FocusOn(0);
  Run(Nav(&ui::Input::nav_left));
  EXPECT_EQ(2, index);
  Run(Nav(&ui::Input::nav_right));
  EXPECT_EQ(0, index);
  Run(Nav(&ui::Input::nav_activate));
  EXPECT_EQ(1, index);
  EXPECT_TRUE(changed);

  // One option: Left changes nothing and leaves the key; Activate is used up.
  const std::vector<std::wstring> one = {L"Only"};
  index = 0;
  screen = [&] { changed = ui::Selector(one, &index, 100, 100, 300, 0); };
  Run(Nav(&ui::Input::nav_left));
  EXPECT_FALSE(ui::Ctx().consumed);
  Run(Nav(&ui::Input::nav_activate));
  EXPECT_FALSE(changed);
  EXPECT_TRUE(ui::Ctx().consumed);
}

TEST_F(WidgetTest, AnEmptySelectorShowsNoneAndNeverChanges) {
  const std::vector<std::wstring> none;
  int index = 0;
  bool changed = false;
  screen = [&] { changed = ui::Selector(none, &index, 100, 100, 300, 0); };
  FocusOn(0);
  for (auto flag : {&ui::Input::nav_left, &ui::Input::nav_right, &ui::Input::nav_activate}) {
    Run(Nav(flag));
    EXPECT_FALSE(changed);
    EXPECT_FALSE(ui::Ctx().consumed);
  }
  Click(120, 118);
  EXPECT_EQ(0, index);
  // The arrows are drawn in the track colour, not gold.
  EXPECT_TRUE(HasColor(110, 112, 118, 124, Palette::line));
  EXPECT_FALSE(HasColor(110, 112, 118, 124, Palette::gold));
}

TEST_F(WidgetTest, TheCheckboxFlipsOncePerFrame) {
  bool a = false, b = false;
  screen = [&] {
    ui::Checkbox(&a, L"Desktop shortcut", 100, 100, 0);
    ui::Checkbox(&b, L"Desktop shortcut", 100, 100, 1);  // on top of the first
  };
  Click(150, 110);
  EXPECT_TRUE(a);
  EXPECT_FALSE(b);
  FocusOn(1);
  Run(Nav(&ui::Input::nav_activate));
  EXPECT_TRUE(a);
  EXPECT_TRUE(b);
  EXPECT_TRUE(HasColor(100, 100, 124, 124, Palette::gold));
}

TEST_F(WidgetTest, ARowHoldingAControlIsOneFocusStop) {
  int index = 0;
  screen = [&] {
    ui::Focusable(284, 100, 596, 60);
    const int row = ui::Focusable(284, 160, 596, 60);
    ui::Segmented(kModes, &index, 496, 170, row, 34);
  };
  Move(300, 190);  // over the row's label, not the control
  EXPECT_EQ(1, ui::Ctx().focus);
  Run(Nav(&ui::Input::nav_right));
  EXPECT_EQ(1, index);
}

}  // namespace
