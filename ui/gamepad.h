// The first XInput controller as navigation events: button edges and the left stick as a
// direction with auto-repeat. The poll works on a reading, so the rules run without a pad.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/input.h"

namespace ui {

// XInput button bits the launcher reacts to.
namespace PadButton {
enum : uint16_t {
  DpadUp = 0x0001, DpadDown = 0x0002, DpadLeft = 0x0004, DpadRight = 0x0008,
  Start = 0x0010, LeftShoulder = 0x0100, RightShoulder = 0x0200,
  A = 0x1000, B = 0x2000, Y = 0x8000,
};
}

// One XInputGetState result.
struct PadReading {
  bool connected = false;
  uint16_t buttons = 0;
  int16_t thumb_lx = 0, thumb_ly = 0;
};

// What the poll remembers between loop iterations.
struct GamepadState {
  uint16_t pad_buttons = 0;   // button word of the previous poll
  int stick_direction = 0;    // 0 neutral, 1 up, 2 down, 3 left, 4 right
  float stick_timer = 0.4f;   // seconds to the next stick repeat
};

// One poll: foreground is whether the launcher window is the foreground window, elapsed
// the seconds since the previous loop iteration. Pushes the events to queue.
void PollGamepad(GamepadState* state, const PadReading& reading, bool foreground, float elapsed,
                 NavQueue* queue);

// XInputGetState from xinput1_4.dll, loaded at run time; null without it.
using XInputGetStateFn = DWORD(WINAPI*)(DWORD user_index, void* state);
XInputGetStateFn LoadXInput();
// The first controller's state through fn (not connected when fn is null or fails).
PadReading ReadFirstPad(XInputGetStateFn fn);

}  // namespace ui
