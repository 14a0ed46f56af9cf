// The input snapshot, the navigation queue, the gamepad poll and the frame's interaction
// rules, driven by synthetic messages, pad readings and frames.
#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/ui_test_fixture.h"
#include "ui/gamepad.h"
#include "ui/input.h"
#include "ui/interaction.h"

namespace {

using uitest::UiTest;

std::vector<int32_t> Drain(ui::NavQueue* q) {
  std::vector<int32_t> out;
  int32_t code = 0;
  while (q->Pop(&code)) out.push_back(code);
  return out;
}

LPARAM Point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// [SECTION] Queue and keys

TEST(NavQueueTest, EventsArriveOnePerFrameInOrderAndTheSeventeenthIsDropped) {
  ui::NavQueue queue;
  ui::Input snapshot;
  bool tracking = false;
  ui::FeedInputMessage(&snapshot, &queue, &tracking, WM_KEYDOWN, VK_DOWN, 0, false);
  ui::FeedInputMessage(&snapshot, &queue, &tracking, WM_KEYDOWN, VK_RETURN, 0, false);

  ui::Input first = ui::FrameInput(snapshot, &queue, false);
  EXPECT_TRUE(first.nav_down);
  EXPECT_FALSE(first.nav_activate);
  // A frame that applies a screen's default focus leaves the queue alone.
  ui::Input held = ui::FrameInput(snapshot, &queue, true);
  EXPECT_FALSE(held.nav_activate);
  ui::Input second = ui::FrameInput(snapshot, &queue, false);
  EXPECT_TRUE(second.nav_activate);
  EXPECT_FALSE(second.nav_down);
  EXPECT_TRUE(queue.Empty());

  for (int i = 0; i < 16; ++i) EXPECT_TRUE(queue.Push(i % 10));
  EXPECT_FALSE(queue.Push(ui::NavEvent::Back));
  const std::vector<int32_t> codes = Drain(&queue);
  ASSERT_EQ(16u, codes.size());
  EXPECT_EQ(5, codes[15]);
}

TEST(NavQueueTest, KeysMapToNavigationCodes) {
  EXPECT_EQ(ui::NavEvent::Up, ui::NavEventForKey(VK_UP, false));
  EXPECT_EQ(ui::NavEvent::Down, ui::NavEventForKey(VK_TAB, false));
  EXPECT_EQ(ui::NavEvent::Up, ui::NavEventForKey(VK_TAB, true));
  EXPECT_EQ(ui::NavEvent::Activate, ui::NavEventForKey(VK_SPACE, false));
  EXPECT_EQ(ui::NavEvent::Back, ui::NavEventForKey(VK_ESCAPE, false));
  EXPECT_EQ(ui::NavEvent::Back, ui::NavEventForKey(VK_BACK, false));
  EXPECT_EQ(ui::NavEvent::PrevPage, ui::NavEventForKey('Q', false));
  EXPECT_EQ(ui::NavEvent::NextPage, ui::NavEventForKey(VK_NEXT, false));
  EXPECT_EQ(-1, ui::NavEventForKey('A', false));
  EXPECT_EQ(-1, ui::NavEventForKey(VK_F1, false));

  // Every code sets exactly its own flag.
  const uint8_t ui::Input::*flags[] = {&ui::Input::nav_up,       &ui::Input::nav_down,     &ui::Input::nav_left,
                                       &ui::Input::nav_right,    &ui::Input::nav_activate, &ui::Input::nav_back,
                                       &ui::Input::nav_start,    &ui::Input::nav_settings, &ui::Input::nav_prev_page,
                                       &ui::Input::nav_next_page};
  for (int code = 0; code < 10; ++code) {
    ui::Input in;
    ui::ApplyNavEvent(&in, code);
    for (int other = 0; other < 10; ++other) EXPECT_EQ(code == other ? 1 : 0, in.*flags[other]) << code;
  }
}

TEST(SnapshotTest, MouseMessagesFillTheSnapshotAndAskForCaptureAndTracking) {
  ui::NavQueue queue;
  ui::Input in;
  bool tracking = false;
  EXPECT_EQ(ui::kInputTrackLeave, ui::FeedInputMessage(&in, &queue, &tracking, WM_MOUSEMOVE, 0, Point(-5, 300), false));
  EXPECT_FLOAT_EQ(-5, in.mouse_x);  // signed: left of the client area while captured
  EXPECT_TRUE(in.mouse_moved);
  EXPECT_EQ(0u, ui::FeedInputMessage(&in, &queue, &tracking, WM_MOUSEMOVE, 0, Point(10, 20), false));

  EXPECT_EQ(ui::kInputCapture, ui::FeedInputMessage(&in, &queue, &tracking, WM_LBUTTONDOWN, MK_LBUTTON, Point(11, 21), false));
  EXPECT_TRUE(in.mouse_pressed && in.mouse_down);
  // Leaving while the button is held keeps the position (a slider drag keeps its value).
  ui::FeedInputMessage(&in, &queue, &tracking, WM_MOUSELEAVE, 0, 0, false);
  EXPECT_FLOAT_EQ(11, in.mouse_x);
  EXPECT_FALSE(tracking);
  EXPECT_EQ(ui::kInputRelease, ui::FeedInputMessage(&in, &queue, &tracking, WM_LBUTTONUP, 0, Point(12, 22), false));
  EXPECT_TRUE(in.mouse_released);
  EXPECT_FALSE(in.mouse_down);
  ui::FeedInputMessage(&in, &queue, &tracking, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0, false);
  ui::FeedInputMessage(&in, &queue, &tracking, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0, false);
  EXPECT_FLOAT_EQ(-1, in.wheel);
  ui::FeedInputMessage(&in, &queue, &tracking, WM_RBUTTONUP, 0, 0, false);
  EXPECT_TRUE(in.right_click);

  ui::ClearFrameInput(&in);
  EXPECT_FALSE(in.mouse_moved || in.mouse_pressed || in.mouse_released || in.right_click);
  EXPECT_FLOAT_EQ(0, in.wheel);
  EXPECT_FLOAT_EQ(12, in.mouse_x);  // the position persists

  ui::FeedInputMessage(&in, &queue, &tracking, WM_MOUSELEAVE, 0, 0, false);
  EXPECT_FLOAT_EQ(-10000, in.mouse_x);
  EXPECT_FLOAT_EQ(-10000, in.mouse_y);
}

TEST(SnapshotTest, AKeyEndsGamepadModeAndQueuesItsCode) {
  ui::NavQueue queue;
  ui::Input in;
  bool tracking = false;
  ui::gamepad_active = true;
  ui::FeedInputMessage(&in, &queue, &tracking, WM_KEYDOWN, VK_TAB, 0, true);
  ui::FeedInputMessage(&in, &queue, &tracking, WM_KEYDOWN, 'Z', 0, false);  // ignored, still a key
  EXPECT_FALSE(ui::gamepad_active);
  EXPECT_EQ(std::vector<int32_t>{ui::NavEvent::Up}, Drain(&queue));
}

// [SECTION] Gamepad

ui::PadReading Pad(uint16_t buttons, int16_t lx = 0, int16_t ly = 0) {
  ui::PadReading r;
  r.connected = true;
  r.buttons = buttons;
  r.thumb_lx = lx;
  r.thumb_ly = ly;
  return r;
}

TEST(GamepadTest, NewlyPressedButtonsQueueOnceInAFixedOrder) {
  ui::GamepadState state;
  ui::NavQueue queue;
  ui::gamepad_active = false;
  ui::PollGamepad(&state, Pad(ui::PadButton::B | ui::PadButton::A | ui::PadButton::DpadUp), true, 0.03f, &queue);
  EXPECT_TRUE(ui::gamepad_active);
  EXPECT_EQ((std::vector<int32_t>{ui::NavEvent::Up, ui::NavEvent::Activate, ui::NavEvent::Back}), Drain(&queue));
  // Held: no repeat. A new button alone: only it.
  ui::PollGamepad(&state, Pad(ui::PadButton::B | ui::PadButton::A | ui::PadButton::DpadUp), true, 0.03f, &queue);
  EXPECT_TRUE(queue.Empty());
  ui::PollGamepad(&state, Pad(ui::PadButton::B | ui::PadButton::RightShoulder), true, 0.03f, &queue);
  EXPECT_EQ(std::vector<int32_t>{ui::NavEvent::NextPage}, Drain(&queue));
  // Unplugged: the word is forgotten, so the same buttons count again afterwards.
  ui::PollGamepad(&state, ui::PadReading(), true, 0.03f, &queue);
  ui::PollGamepad(&state, Pad(ui::PadButton::B), true, 0.03f, &queue);
  EXPECT_EQ(std::vector<int32_t>{ui::NavEvent::Back}, Drain(&queue));
}

TEST(GamepadTest, ButtonsHeldInTheBackgroundAreSwallowed) {
  ui::GamepadState state;
  ui::NavQueue queue;
  ui::PollGamepad(&state, Pad(ui::PadButton::A, 0, 30000), false, 0.03f, &queue);
  ui::PollGamepad(&state, Pad(ui::PadButton::A | ui::PadButton::Start, 0, 30000), false, 0.2f, &queue);
  EXPECT_TRUE(queue.Empty());
  // Back in the foreground with the same buttons held: no burst of edges.
  ui::PollGamepad(&state, Pad(ui::PadButton::A | ui::PadButton::Start), true, 0.03f, &queue);
  EXPECT_TRUE(queue.Empty());
}

TEST(GamepadTest, AHeldStickRepeatsAfterPointFourThenEveryPointOneTwoSeconds) {
  ui::GamepadState state;
  ui::NavQueue queue;
  auto poll = [&](float elapsed, int16_t lx, int16_t ly) {
    ui::PollGamepad(&state, Pad(0, lx, ly), true, elapsed, &queue);
    return Drain(&queue).size();
  };
  EXPECT_EQ(1u, poll(0.03f, 0, -20000));  // down, at once
  EXPECT_EQ(0u, poll(0.25f, 0, -20000));
  EXPECT_EQ(0u, poll(0.14f, 0, -20000));  // 0.39 s held
  EXPECT_EQ(1u, poll(0.02f, 0, -20000));  // 0.41 s
  EXPECT_EQ(0u, poll(0.1f, 0, -20000));
  EXPECT_EQ(1u, poll(0.03f, 0, -20000));  // 0.12 s later
  // Back to centre and pushed again: immediate.
  EXPECT_EQ(0u, poll(0.03f, 0, 100));
  EXPECT_EQ(1u, poll(0.03f, 0, -20000));
  // Up wins over a sideways push; a different direction is immediate.
  ui::PollGamepad(&state, Pad(0, -30000, 30000), true, 0.03f, &queue);
  EXPECT_EQ(std::vector<int32_t>{ui::NavEvent::Up}, Drain(&queue));
  ui::PollGamepad(&state, Pad(0, 30000, 0), true, 0.03f, &queue);
  EXPECT_EQ(std::vector<int32_t>{ui::NavEvent::Right}, Drain(&queue));
}

// [SECTION] Focus, clicks and activation

class InteractionTest : public UiTest {
 protected:
  // Registers n focusable widgets stacked 40 units apart from y 100.
  void Widgets(const ui::Input& in, int n) {
    Frame(in, [&] {
      for (int i = 0; i < n; ++i) ui::Focusable(100, 100 + 40.0f * i, 200, 30);
    });
  }
  ui::Input Nav(uint8_t ui::Input::*flag) {
    ui::Input in;
    in.*flag = 1;
    return in;
  }
};

TEST_F(InteractionTest, FocusWrapsAtBothEndsAndClampsWhenWidgetsDisappear) {
  Widgets(ui::Input(), 5);
  Widgets(Nav(&ui::Input::nav_up), 5);
  EXPECT_EQ(4, ui::Ctx().focus);
  Widgets(Nav(&ui::Input::nav_down), 5);
  EXPECT_EQ(0, ui::Ctx().focus);
  Widgets(Nav(&ui::Input::nav_left), 5);  // Left and Right belong to the widgets
  EXPECT_EQ(0, ui::Ctx().focus);

  ui::Ctx().focus = 4;
  Widgets(ui::Input(), 3);
  Widgets(ui::Input(), 3);  // the frame after three were registered clamps
  EXPECT_EQ(2, ui::Ctx().focus);
}

TEST_F(InteractionTest, AKeyShowsTheFocusRingAndTheMouseHidesIt) {
  Widgets(Nav(&ui::Input::nav_down), 2);
  EXPECT_TRUE(ui::Ctx().focus_visible);
  ui::Input both = Nav(&ui::Input::nav_down);
  both.mouse_moved = 1;
  Widgets(both, 2);
  EXPECT_FALSE(ui::Ctx().focus_visible);
  Widgets(Nav(&ui::Input::nav_activate), 2);
  EXPECT_TRUE(ui::Ctx().focus_visible);
  ui::Input press = Nav(&ui::Input::nav_down);  // a press without a move hides it too
  press.mouse_pressed = press.mouse_down = 1;
  Widgets(press, 2);
  EXPECT_FALSE(ui::Ctx().focus_visible);
  Widgets(Nav(&ui::Input::nav_right), 2);
  EXPECT_TRUE(ui::Ctx().focus_visible);
  Widgets(Nav(&ui::Input::nav_back), 2);  // Back alone leaves it as it was
  EXPECT_TRUE(ui::Ctx().focus_visible);
}

TEST_F(InteractionTest, FocusFollowsTheMovingMouseButNotDuringADrag) {
  ui::Input move = At(150, 185);
  move.mouse_moved = 1;
  Widgets(move, 4);
  EXPECT_EQ(2, ui::Ctx().focus);
  EXPECT_EQ(1, ui::Ctx().hand_cursor);

  ui::Ctx().active = 7;
  ui::Input drag = At(150, 105);
  drag.mouse_moved = drag.mouse_down = 1;
  Widgets(drag, 4);
  EXPECT_EQ(2, ui::Ctx().focus);
}

TEST_F(InteractionTest, APressThatStartedElsewhereIsNotAClick) {
  auto clicked = [&](const ui::Input& in) {
    bool a = false, b = false;
    Frame(in, [&] {
      a = ui::Clicked(100, 100, 100, 40);
      b = ui::Clicked(300, 100, 100, 40);
    });
    return std::make_pair(a, b);
  };
  ui::Input press = At(150, 120);
  press.mouse_pressed = press.mouse_down = 1;
  clicked(press);
  ui::Input release = At(350, 120);
  release.mouse_released = 1;
  EXPECT_EQ(std::make_pair(false, false), clicked(release));
  // The press point was dropped after that release.
  EXPECT_FLOAT_EQ(-1, ui::Ctx().press[0]);

  clicked(press);
  ui::Input away = At(350, 120);
  away.mouse_moved = away.mouse_down = 1;
  clicked(away);
  ui::Input back = At(160, 125);
  back.mouse_released = 1;
  EXPECT_EQ(std::make_pair(true, false), clicked(back));
}

TEST_F(InteractionTest, OnlyOneWidgetPerFrameUsesAClickOrAnActivate) {
  // n widgets, each 50 units below the previous one (0: all on top of each other).
  auto activations = [&](const ui::Input& in, int n, float step) {
    std::vector<bool> got;
    Frame(in, [&] {
      for (int i = 0; i < n; ++i) {
        const int id = ui::Focusable(100, 100 + step * i, 100, 40);
        got.push_back(ui::Activated(id, 100, 100 + step * i, 100, 40));
      }
    });
    return got;
  };
  ui::Input press = At(150, 120);
  press.mouse_pressed = press.mouse_down = 1;
  Frame(press, [] {});
  ui::Input release = At(150, 120);
  release.mouse_released = 1;
  EXPECT_EQ((std::vector<bool>{true, false}), activations(release, 2, 0));

  ui::Ctx().focus = 1;
  EXPECT_EQ((std::vector<bool>{false, true, false}), activations(Nav(&ui::Input::nav_activate), 3, 50));
}

TEST_F(InteractionTest, ADragEndsOneFrameAfterTheRelease) {
  ui::Input down = At(100, 100);
  down.mouse_pressed = down.mouse_down = 1;
  Frame(down, [] { ui::Ctx().active = 3; });
  ui::Input held = At(140, 100);
  held.mouse_down = 1;
  Frame(held, [] {});
  EXPECT_EQ(3, ui::Ctx().active);
  ui::Input up = At(150, 100);
  up.mouse_released = 1;
  Frame(up, [] {});
  EXPECT_EQ(3, ui::Ctx().active);  // the releasing frame still sees its widget
  Frame(ui::Input(), [] {});
  EXPECT_EQ(-1, ui::Ctx().active);
}

TEST_F(InteractionTest, TheMouseIsConvertedToDesignUnits) {
  Resize(1000, 720);
  ui::Input in;
  in.mouse_x = 500;
  in.mouse_y = 78.75f + 360 * 0.78125f;
  bool hovered = false;
  Frame(in, [&] { hovered = ui::Hovered(640, 360, 1, 1); });
  EXPECT_NEAR(640, ui::Ctx().mouse[0], 0.01);
  EXPECT_NEAR(360, ui::Ctx().mouse[1], 0.01);
  EXPECT_TRUE(hovered);
  // Half-open rectangles: the right and bottom edges are outside.
  Frame(in, [&] { hovered = ui::Hovered(639, 359, 1, 1); });
  EXPECT_FALSE(hovered);
}

}  // namespace
