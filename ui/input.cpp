#include "ui/input.h"

#include <windowsx.h>

namespace ui {

void ApplyNavEvent(Input* input, int32_t code) {
  switch (code) {
    case NavEvent::Up: input->nav_up = 1; break;
    case NavEvent::Down: input->nav_down = 1; break;
    case NavEvent::Left: input->nav_left = 1; break;
    case NavEvent::Right: input->nav_right = 1; break;
    case NavEvent::Activate: input->nav_activate = 1; break;
    case NavEvent::Back: input->nav_back = 1; break;
    case NavEvent::Start: input->nav_start = 1; break;
    case NavEvent::Settings: input->nav_settings = 1; break;
    case NavEvent::PrevPage: input->nav_prev_page = 1; break;
    case NavEvent::NextPage: input->nav_next_page = 1; break;
    default:
      if (code >= NavEvent::FocusBase) input->focus_to = code - NavEvent::FocusBase;
      break;
  }
}

int32_t NavEventForKey(WPARAM virtual_key, bool shift_held) {
  switch (virtual_key) {
    case VK_UP: return NavEvent::Up;
    case VK_DOWN: return NavEvent::Down;
    case VK_TAB: return shift_held ? NavEvent::Up : NavEvent::Down;
    case VK_LEFT: return NavEvent::Left;
    case VK_RIGHT: return NavEvent::Right;
    case VK_RETURN:
    case VK_SPACE: return NavEvent::Activate;
    case VK_BACK:
    case VK_ESCAPE: return NavEvent::Back;
    case VK_PRIOR:
    case 'Q': return NavEvent::PrevPage;
    case VK_NEXT:
    case 'E': return NavEvent::NextPage;
    default: return -1;
  }
}

bool NavQueue::Push(int32_t code) {
  if (count >= kCapacity) return false;
  codes[(head + count) % kCapacity] = code;
  ++count;
  return true;
}

bool NavQueue::Pop(int32_t* code) {
  if (count == 0) return false;
  *code = codes[head];
  head = (head + 1) % kCapacity;
  --count;
  return true;
}

unsigned FeedInputMessage(Input* input, NavQueue* queue, bool* tracking_leave, UINT message,
                          WPARAM wparam, LPARAM lparam, bool shift_held) {
  auto position = [&] {
    input->mouse_x = static_cast<float>(GET_X_LPARAM(lparam));
    input->mouse_y = static_cast<float>(GET_Y_LPARAM(lparam));
  };
  switch (message) {
    case WM_MOUSEMOVE: {
      position();
      input->mouse_moved = 1;
      if (*tracking_leave) return 0;
      *tracking_leave = true;
      return kInputTrackLeave;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      input->mouse_down = 1;
      input->mouse_pressed = 1;
      position();
      return kInputCapture;
    case WM_LBUTTONUP:
      input->mouse_released = 1;
      input->mouse_down = 0;
      position();
      return kInputRelease;
    case WM_RBUTTONUP:
      input->right_click = 1;
      return 0;
    case WM_MOUSEWHEEL:
      input->wheel += static_cast<float>(GET_WHEEL_DELTA_WPARAM(wparam)) / 120.0f;
      return 0;
    case WM_MOUSELEAVE:
      *tracking_leave = false;
      // While a drag holds the capture the last position stays, so the drag keeps its value.
      if (!input->mouse_down) input->mouse_x = input->mouse_y = -10000.0f;
      return 0;
    case WM_KEYDOWN: {
      gamepad_active = false;
      const int32_t code = NavEventForKey(wparam, shift_held);
      if (code >= 0) queue->Push(code);
      return 0;
    }
    default:
      return 0;
  }
}

Input FrameInput(const Input& snapshot, NavQueue* queue, bool applying_default_focus) {
  Input copy = snapshot;
  int32_t code = 0;
  if (!applying_default_focus && queue->Pop(&code)) ApplyNavEvent(&copy, code);
  return copy;
}

void ClearFrameInput(Input* input) {
  Input cleared;
  cleared.mouse_x = input->mouse_x;
  cleared.mouse_y = input->mouse_y;
  cleared.mouse_down = input->mouse_down;
  *input = cleared;
}

}  // namespace ui
