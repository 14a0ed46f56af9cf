// What the window shows, told to screen readers. Each frame rebuilds one list of
// accessible items from what the widgets draw (a focus stop's rectangle, role, name, value,
// state and default action) and from the static text a screen calls out; after the frame
// the list is published as a snapshot that the two adapters (MSAA and UI Automation)
// answer from, under a lock of their own, on whatever thread a client calls them.
//
// Nothing is recorded until a client has asked the window for its objects: until then
// every call here is one test of a flag.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/input.h"

namespace ui {

enum class AccessRole : uint8_t {
  kNone,          // a focus stop no widget described
  kButton,
  kLink,
  kToggle,        // an on/off switch
  kCheckbox,
  kSegmented,     // one of a row of choices, stepped with Left and Right
  kSelector,      // one of a list shown between arrows
  kSlider,
  kListRow,
  kRadioRow,      // one row of a list of which one is chosen
  kText,
  kHeading,
  kProgressBar,
  kProgressStep,  // one step of a job, its state as the value
  kAlert,         // a toast
};

enum AccessState : uint32_t {
  kAccessFocusable = 1u << 0,
  kAccessFocused = 1u << 1,
  kAccessChecked = 1u << 2,
  kAccessSelected = 1u << 3,
  kAccessDisabled = 1u << 4,
  kAccessBusy = 1u << 5,
  kAccessExpanded = 1u << 6,
  kAccessCollapsed = 1u << 7,
  kAccessOffscreen = 1u << 8,
  kAccessLive = 1u << 9,  // a change of its name is announced (politely)
};

struct AccessItem {
  uint32_t uid = 0;      // stable id: a hash of key
  std::wstring key;      // what it is, unique within the snapshot (the automation id)
  int focus_id = -1;     // the toolkit's focus id; -1 for text
  float x = 0, y = 0, w = 0, h = 0;  // client pixels
  AccessRole role = AccessRole::kNone;
  uint32_t state = 0;
  int heading_level = 1;  // a heading's: 1 a screen's title, 2 a group within it
  std::wstring name;         // what the player reads on it
  std::wstring value;        // a choice, a number with its unit, a step's state
  std::wstring description;  // help text and whatever else the row says
  std::wstring action;       // the default action's name; empty when there is none
  // A slider's or a bar's number and its range.
  double number = 0, minimum = 0, maximum = 0, step = 0;
  std::vector<std::wstring> options;  // a segmented control's or a selector's choices
};

// The published list, in reading order, and which of it has the keyboard focus.
struct AccessSnapshot {
  uint64_t serial = 0;  // frames published so far; 0 before the first
  std::vector<AccessItem> items;
  int focused = -1;     // index into items
  std::wstring title;   // the window's own name
};

// [SECTION] Recording, inside a frame (GUI thread)

// Whether this frame records items; false until a client asked (or a test said so).
bool AccessRecording();
// Tests and tools record without a client; the window never calls it.
void AccessRecordFrames(bool on);
// The item of a focus stop registered this frame, to describe it; null while not recording.
AccessItem* AccessFor(int focus_id);
// Static text that matters, over the design rectangle; null while not recording.
AccessItem* AccessText(AccessRole role, const std::wstring& name, float x, float y, float w, float h,
                       const std::wstring& description = std::wstring());
// A row's label names its focus stop; the help and tags go to the description.
void AccessLabel(int focus_id, const std::wstring& label, const std::wstring& description);
// Items recorded from here to AccessClipEnd lie outside the visible area when they lie
// outside this design rectangle (a scrolled list).
void AccessClip(float x, float y, float w, float h);
void AccessClipEnd();

// Text drawn between BeginTextCapture and EndTextCapture, as one row's words: `first` is
// the first line (texts whose top lies within 12 units of the first one's), joined with
// ", ", and `rest` everything else joined with spaces. Captures nest.
struct CapturedText {
  std::wstring text;
  float x, y, w, h;  // design units
};
struct CapturedLines {
  std::wstring first, rest;
};
size_t BeginTextCapture();
std::vector<CapturedText> EndTextCapture(size_t start);
CapturedLines JoinCapturedLines(const std::vector<CapturedText>& texts);
namespace detail {
// The toolkit's own hooks: the frame starts, a focus stop registers, a widget says what
// it is (a button inside a labelled row adds its label to the row's name), DrawText
// draws a line while g_capturing.
void BeginAccessFrame();
void RecordFocusable(int id, float x, float y, float w, float h);
void DescribeWidget(int id, AccessRole role, const std::wstring& label, const std::wstring& action,
                    uint32_t state = 0);
// A value control keeps its row's name and adds what it holds.
AccessItem* DescribeValue(int id, AccessRole role, const std::wstring& value, const std::wstring& action,
                          uint32_t state = 0);
void CaptureText(const std::wstring& text, float x, float y, float w, float h);
extern bool g_capturing;
}  // namespace detail

// A value control asked by a client to take a value (UI Automation's SetValue): true once,
// in the next frame, for the control drawn with that focus id.
bool TakeAccessNumber(int focus_id, double* number);
bool TakeAccessOption(int focus_id, int* option);

// [SECTION] The window's side (GUI thread)

// Posted by the adapters to the window: wParam the item's uid, lParam the action
// (AccessAction) with an argument above its low byte. Never sent: a client's call never
// waits for the window.
constexpr UINT kAccessActionMessage = WM_APP + 0x0A11;
enum AccessAction : int { kAccessActivate = 1, kAccessFocus = 2, kAccessSetNumber = 3, kAccessSetOption = 4 };

// WM_GETOBJECT: the MSAA object for OBJID_CLIENT and the UI Automation root for UIA's root
// id, in *result; false for anything else. The first ask starts the recording, and
// *wants_frame asks the window for a frame so the snapshot fills at once.
bool AnswerGetObject(HWND hwnd, WPARAM wparam, LPARAM lparam, LRESULT* result, bool* wants_frame);
// After each frame: publishes what it recorded and tells listening clients what changed
// (focus, states, values, a new screen, a toast). Nothing while not recording.
void PublishAccess(HWND hwnd);
// kAccessActionMessage: a client's action becomes input. Activate queues a focus move to
// the item and then Activate, as Tab and Enter would; Focus queues the move alone; a value
// waits for the control's next frame. False when the item is gone.
bool ApplyAccessAction(WPARAM wparam, LPARAM lparam, NavQueue* queue);
// WM_DESTROY: every object handed out answers "not available" from now on.
void AccessWindowGone(HWND hwnd);

// [SECTION] In-process callers (the tests)

// A copy of the last published snapshot.
AccessSnapshot LastAccessSnapshot();
// The UI Automation root provider of the window's tree (a new reference), or E_FAIL.
HRESULT AccessUiaRoot(HWND hwnd, REFIID iid, void** out);

}  // namespace ui
