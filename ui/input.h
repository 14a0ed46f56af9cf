// The input snapshot a frame is drawn from, the navigation queue that feeds it from the
// keyboard and the gamepad, and the window-side rules that fill both. Nothing here needs
// a real window: the window procedure hands its messages over and performs the capture
// and leave-tracking calls it is told to.
#pragma once

#include <windows.h>

#include <cstdint>

namespace ui {

// Filled by the window procedure between frames and copied by value into the frame.
struct Input {
  float mouse_x = -1.0f, mouse_y = -1.0f;  // client pixels; -10000 after leaving the window
  uint8_t mouse_moved = 0;
  uint8_t mouse_pressed = 0;   // the left button went down (or double-clicked)
  uint8_t mouse_released = 0;
  uint8_t mouse_down = 0;      // held now; persists across frames
  uint8_t right_click = 0;     // the right button went up
  float wheel = 0.0f;          // notches, positive away from the user
  uint8_t nav_up = 0;
  uint8_t nav_down = 0;
  uint8_t nav_left = 0;
  uint8_t nav_right = 0;
  uint8_t nav_activate = 0;
  uint8_t nav_back = 0;
  uint8_t nav_start = 0;
  uint8_t nav_settings = 0;
  uint8_t nav_prev_page = 0;
  uint8_t nav_next_page = 0;
  int32_t focus_to = -1;       // a screen reader moved the focus to this widget id
};

namespace NavEvent {
enum : int32_t {
  Up = 0, Down = 1, Left = 2, Right = 3, Activate = 4,
  Back = 5, Start = 6, Settings = 7, PrevPage = 8, NextPage = 9,
  // FocusBase + id: the focus moves to the widget with that id, as a screen reader asks
  // (queued like a key, so it keeps its place among the keys).
  FocusBase = 0x10000,
};
}

// Sets the Input flag of one navigation code; unknown codes set nothing.
void ApplyNavEvent(Input* input, int32_t code);
// The code of a key (WM_KEYDOWN virtual key), or -1 for keys the launcher ignores.
int32_t NavEventForKey(WPARAM virtual_key, bool shift_held);

// First in, first out; a push is dropped when 16 codes wait already.
struct NavQueue {
  static constexpr int kCapacity = 16;
  int32_t codes[kCapacity] = {};
  int head = 0;
  int count = 0;

  bool Push(int32_t code);
  bool Pop(int32_t* code);
  bool Empty() const { return count == 0; }
};

// Set whenever the gamepad produced an event, cleared by any key; screens pick their
// button hints by it.
inline bool gamepad_active = false;

// What the window must do after FeedInputMessage, as bits.
enum InputAction : unsigned {
  kInputCapture = 1,     // SetCapture(hwnd)
  kInputRelease = 2,     // ReleaseCapture()
  kInputTrackLeave = 4,  // TrackMouseEvent(TME_LEAVE)
};

// Writes one window message into the snapshot and the queue. tracking_leave is the
// window's "leave-tracking armed" flag; shift_held is GetKeyState(VK_SHIFT) < 0 at the
// time of a WM_KEYDOWN. Returns the InputAction bits; messages that are not input give 0.
unsigned FeedInputMessage(Input* input, NavQueue* queue, bool* tracking_leave, UINT message,
                          WPARAM wparam, LPARAM lparam, bool shift_held);

// The paint step's copy of the snapshot: at most one queued event per frame, and none in
// a frame that applies a screen's default focus.
Input FrameInput(const Input& snapshot, NavQueue* queue, bool applying_default_focus);
// After a frame: per-frame fields back to 0; the position and mouse_down persist.
void ClearFrameInput(Input* input);

}  // namespace ui
