#include "ui/gamepad.h"

namespace ui {
namespace {

constexpr int16_t kStickThreshold = 16000;
constexpr float kFirstRepeat = 0.4f;
constexpr float kNextRepeat = 0.12f;

// Button bits in the order their events are queued, with their codes.
struct ButtonEvent {
  uint16_t bit;
  int32_t code;
};
constexpr ButtonEvent kButtonEvents[] = {
    {PadButton::DpadUp, NavEvent::Up},          {PadButton::DpadDown, NavEvent::Down},
    {PadButton::DpadLeft, NavEvent::Left},      {PadButton::DpadRight, NavEvent::Right},
    {PadButton::A, NavEvent::Activate},         {PadButton::B, NavEvent::Back},
    {PadButton::Start, NavEvent::Start},        {PadButton::Y, NavEvent::Settings},
    {PadButton::LeftShoulder, NavEvent::PrevPage}, {PadButton::RightShoulder, NavEvent::NextPage},
};

// Stick directions 1..4 and their codes; 0 is neutral.
int StickDirection(const PadReading& r) {
  if (r.thumb_ly > kStickThreshold) return 1;
  if (r.thumb_ly < -kStickThreshold) return 2;
  if (r.thumb_lx < -kStickThreshold) return 3;
  if (r.thumb_lx > kStickThreshold) return 4;
  return 0;
}
constexpr int32_t kStickCodes[] = {-1, NavEvent::Up, NavEvent::Down, NavEvent::Left, NavEvent::Right};

// The layout of XINPUT_STATE, so the header is not needed.
struct XInputGamepad {
  WORD buttons;
  BYTE left_trigger, right_trigger;
  SHORT thumb_lx, thumb_ly, thumb_rx, thumb_ry;
};
struct XInputState {
  DWORD packet_number;
  XInputGamepad gamepad;
};

}  // namespace

void PollGamepad(GamepadState* state, const PadReading& reading, bool foreground, float elapsed,
                 NavQueue* queue) {
  if (!reading.connected) {
    state->pad_buttons = 0;
    return;
  }
  // In the background only the button word is followed, so buttons held while switching
  // back produce no burst of edges.
  if (!foreground) {
    state->pad_buttons = reading.buttons;
    return;
  }
  const uint16_t pressed = static_cast<uint16_t>(reading.buttons & ~state->pad_buttons);
  state->pad_buttons = reading.buttons;
  if (pressed) {
    gamepad_active = true;
    for (const ButtonEvent& e : kButtonEvents) {
      if (pressed & e.bit) queue->Push(e.code);
    }
  }

  const int direction = StickDirection(reading);
  if (direction == 0) {
    if (state->stick_direction != 0) {
      state->stick_direction = 0;
      state->stick_timer = kFirstRepeat;
    }
    return;
  }
  if (direction != state->stick_direction) {
    state->stick_direction = direction;
    state->stick_timer = kFirstRepeat;
  } else {
    state->stick_timer -= elapsed;
    if (state->stick_timer > 0.0f) return;
    state->stick_timer = kNextRepeat;
  }
  gamepad_active = true;
  queue->Push(kStickCodes[direction]);
}

XInputGetStateFn LoadXInput() {
  // From the system folder only: not a known DLL, so a plain load would take one of that
  // name from the launcher's own folder first.
  HMODULE dll = LoadLibraryExW(L"xinput1_4.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!dll) return nullptr;
  return reinterpret_cast<XInputGetStateFn>(
      reinterpret_cast<void*>(GetProcAddress(dll, "XInputGetState")));
}

PadReading ReadFirstPad(XInputGetStateFn fn) {
  PadReading reading;
  XInputState state = {};
  if (!fn || fn(0, &state) != ERROR_SUCCESS) return reading;
  reading.connected = true;
  reading.buttons = state.gamepad.buttons;
  reading.thumb_lx = state.gamepad.thumb_lx;
  reading.thumb_ly = state.gamepad.thumb_ly;
  return reading;
}

}  // namespace ui
