#include "ui/access.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "platform/scoped_lock.h"
#include "ui/access_tree.h"
#include "ui/context.h"

namespace ui {

bool detail::g_capturing = false;

namespace {

// The frame being recorded and the window's tree. GUI thread only.
struct Recording {
  bool on = false;
  std::vector<AccessItem> items;
  std::vector<int> by_focus;        // focus id -> index in items, -1 when none
  std::vector<bool> rows;           // per item: a labelled row, whose value is what it shows
  std::vector<CapturedText> texts;  // every line drawn this frame, design units
  bool clipped = false;
  float clip[4] = {};
  // Clients' SetValue calls, each for the control drawn next with its focus id.
  struct Request {
    int focus_id;
    AccessAction kind;
    int64_t value;
  };
  std::vector<Request> requests;
  access::TreeRef tree;  // the window's, once a client asked
  bool gave_uia = false;
};

Recording& Rec() {
  static Recording recording;
  return recording;
}

void ToPixels(float x, float y, float w, float h, AccessItem* item) {
  const Context& c = Ctx();
  item->x = x * c.scale + c.offset_x;
  item->y = y * c.scale + c.offset_y;
  item->w = w * c.scale;
  item->h = h * c.scale;
}

bool OutsideClip(float x, float y, float w, float h) {
  const Recording& r = Rec();
  if (!r.clipped) return false;
  return x + w <= r.clip[0] || x >= r.clip[0] + r.clip[2] || y + h <= r.clip[1] || y >= r.clip[1] + r.clip[3];
}

std::wstring Lower(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& ch : out) ch = static_cast<wchar_t>(towlower(ch));
  return out;
}

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \u00B7");
  if (first == std::wstring::npos) return std::wstring();
  const size_t last = text.find_last_not_of(L" \u00B7");
  return text.substr(first, last - first + 1);
}

const wchar_t* RoleTag(AccessRole role) {
  switch (role) {
    case AccessRole::kNone: return L"stop";
    case AccessRole::kButton: return L"button";
    case AccessRole::kLink: return L"link";
    case AccessRole::kToggle: return L"toggle";
    case AccessRole::kCheckbox: return L"checkbox";
    case AccessRole::kSegmented: return L"choice";
    case AccessRole::kSelector: return L"selector";
    case AccessRole::kSlider: return L"slider";
    case AccessRole::kListRow: return L"row";
    case AccessRole::kRadioRow: return L"radio";
    case AccessRole::kText: return L"text";
    case AccessRole::kHeading: return L"heading";
    case AccessRole::kProgressBar: return L"progress";
    case AccessRole::kProgressStep: return L"step";
    case AccessRole::kAlert: return L"alert";
  }
  return L"item";
}

// Positive as a signed int (UI Automation's runtime ids are) and never a small number, so
// an MSAA child id is either a position (1 to the count) or a uid, never both.
uint32_t Hash(const std::wstring& key) {
  uint32_t h = 2166136261u;
  for (wchar_t ch : key) {
    h ^= static_cast<uint32_t>(ch);
    h *= 16777619u;
  }
  return (h & 0x3FFFFFFF) | 0x40000000;
}

// A row that no control described says what it shows: the lines drawn inside it that are
// neither its name nor its description.
std::wstring ShownInside(const AccessItem& item, const std::vector<CapturedText>& texts) {
  const Context& c = Ctx();
  const std::wstring name = Lower(item.name), description = Lower(item.description);
  std::wstring out;
  for (const CapturedText& t : texts) {
    const float px = t.x * c.scale + c.offset_x, py = t.y * c.scale + c.offset_y;
    const float cx = px + t.w * c.scale / 2, cy = py + t.h * c.scale / 2;
    if (cx < item.x || cx >= item.x + item.w || cy < item.y || cy >= item.y + item.h) continue;
    const std::wstring text = Trimmed(t.text), lower = Lower(text);
    if (text.empty() || name.find(lower) != std::wstring::npos || description.find(lower) != std::wstring::npos)
      continue;
    if (!out.empty()) out += L", ";
    out += text;
  }
  return out;
}

// Keys from role and name, numbered when they repeat; uids from the keys.
void Identify(std::vector<AccessItem>* items) {
  std::vector<std::wstring> seen;
  std::vector<uint32_t> uids;
  for (AccessItem& item : *items) {
    // A caller's key keeps an item whose name changes (a step counter) the same item.
    std::wstring base = item.key.empty() ? std::wstring(RoleTag(item.role)) + L":" + item.name : item.key;
    std::wstring key = base;
    for (int n = 2; std::find(seen.begin(), seen.end(), key) != seen.end(); ++n) key = base + L"#" + std::to_wstring(n);
    seen.push_back(key);
    item.key = key;
    uint32_t uid = Hash(key);
    while (std::find(uids.begin(), uids.end(), uid) != uids.end()) uid = ((uid * 31u + 7u) & 0x3FFFFFFF) | 0x40000000;
    uids.push_back(uid);
    item.uid = uid;
  }
}

bool Differs(const AccessItem& a, const AccessItem& b) {
  return a.name != b.name || a.value != b.value || a.state != b.state;
}

}  // namespace

// [SECTION] Recording

bool AccessRecording() { return Rec().on; }

void AccessRecordFrames(bool on) {
  Recording& r = Rec();
  if (!on) r = Recording();
  r.on = on;
  detail::g_capturing = on;
  if (on && !r.tree) r.tree = std::make_shared<access::Tree>(nullptr);
}

namespace detail {

void BeginAccessFrame() {
  Recording& r = Rec();
  if (!r.on) return;
  r.items.clear();
  r.by_focus.clear();
  r.rows.clear();
  r.texts.clear();
  r.clipped = false;
}

void RecordFocusable(int id, float x, float y, float w, float h) {
  Recording& r = Rec();
  if (!r.on || id < 0) return;
  if (static_cast<size_t>(id) >= r.by_focus.size()) r.by_focus.resize(static_cast<size_t>(id) + 1, -1);
  if (r.by_focus[static_cast<size_t>(id)] >= 0) return;  // a control inside its row: the row's stop
  AccessItem item;
  item.focus_id = id;
  item.state = kAccessFocusable | (OutsideClip(x, y, w, h) ? kAccessOffscreen : 0u);
  ToPixels(x, y, w, h, &item);
  r.by_focus[static_cast<size_t>(id)] = static_cast<int>(r.items.size());
  r.items.push_back(std::move(item));
  r.rows.push_back(false);
}

void DescribeWidget(int id, AccessRole role, const std::wstring& label, const std::wstring& action, uint32_t state) {
  AccessItem* item = AccessFor(id);
  if (!item) return;
  const size_t index = static_cast<size_t>(Rec().by_focus[static_cast<size_t>(id)]);
  if (Rec().rows[index] && !item->name.empty() && item->name != label)
    item->name += L": " + label;  // a button inside a labelled row
  else
    item->name = label;
  item->role = role;
  item->action = action;
  item->state |= state;
}

AccessItem* DescribeValue(int id, AccessRole role, const std::wstring& value, const std::wstring& action,
                          uint32_t state) {
  AccessItem* item = AccessFor(id);
  if (!item) return nullptr;
  item->role = role;
  item->value = value;
  item->action = action;
  item->state |= state;
  return item;
}

void CaptureText(const std::wstring& text, float x, float y, float w, float h) {
  if (!text.empty()) Rec().texts.push_back({text, x, y, w, h});
}

}  // namespace detail

AccessItem* AccessFor(int focus_id) {
  Recording& r = Rec();
  if (!r.on || focus_id < 0 || static_cast<size_t>(focus_id) >= r.by_focus.size()) return nullptr;
  const int index = r.by_focus[static_cast<size_t>(focus_id)];
  return index < 0 ? nullptr : &r.items[static_cast<size_t>(index)];
}

AccessItem* AccessText(AccessRole role, const std::wstring& name, float x, float y, float w, float h,
                       const std::wstring& description) {
  Recording& r = Rec();
  if (!r.on || name.empty()) return nullptr;
  AccessItem item;
  item.role = role;
  item.name = name;
  item.description = description;
  item.state = OutsideClip(x, y, w, h) ? kAccessOffscreen : 0u;
  ToPixels(x, y, w, h, &item);
  r.items.push_back(std::move(item));
  r.rows.push_back(false);
  return &r.items.back();
}

void AccessLabel(int focus_id, const std::wstring& label, const std::wstring& description) {
  AccessItem* item = AccessFor(focus_id);
  if (!item) return;
  item->name = label;
  item->description = description;
  Rec().rows[static_cast<size_t>(Rec().by_focus[static_cast<size_t>(focus_id)])] = true;
}

void AccessClip(float x, float y, float w, float h) {
  Recording& r = Rec();
  r.clipped = true;
  r.clip[0] = x;
  r.clip[1] = y;
  r.clip[2] = w;
  r.clip[3] = h;
}

void AccessClipEnd() { Rec().clipped = false; }

size_t BeginTextCapture() { return Rec().texts.size(); }

std::vector<CapturedText> EndTextCapture(size_t start) {
  const std::vector<CapturedText>& texts = Rec().texts;
  if (start >= texts.size()) return {};
  return std::vector<CapturedText>(texts.begin() + static_cast<std::ptrdiff_t>(start), texts.end());
}

CapturedLines JoinCapturedLines(const std::vector<CapturedText>& texts) {
  CapturedLines lines;
  if (texts.empty()) return lines;
  const float top = texts.front().y;
  for (const CapturedText& t : texts) {
    const std::wstring text = Trimmed(t.text);
    if (text.empty()) continue;
    const bool first = std::fabs(t.y - top) < 12;
    std::wstring& into = first ? lines.first : lines.rest;
    if (!into.empty()) into += first ? L", " : L" ";
    into += text;
  }
  return lines;
}

namespace {

// The last value asked for the control, taken; false when none was.
bool TakeRequest(int focus_id, AccessAction kind, int64_t* value) {
  std::vector<Recording::Request>& requests = Rec().requests;
  bool found = false;
  for (auto it = requests.begin(); it != requests.end();) {
    if (it->focus_id != focus_id || it->kind != kind) {
      ++it;
      continue;
    }
    *value = it->value;
    found = true;
    it = requests.erase(it);
  }
  return found;
}

}  // namespace

bool TakeAccessNumber(int focus_id, double* number) {
  int64_t value = 0;
  if (!TakeRequest(focus_id, kAccessSetNumber, &value)) return false;
  *number = static_cast<double>(value);
  return true;
}

bool TakeAccessOption(int focus_id, int* option) {
  int64_t value = 0;
  if (!TakeRequest(focus_id, kAccessSetOption, &value)) return false;
  *option = static_cast<int>(value);
  return true;
}

// [SECTION] Publishing and the window's side

void PublishAccess(HWND hwnd) {
  Recording& r = Rec();
  r.requests.clear();  // a value asked for is taken in the frame after the ask, or not at all
  if (!r.on) return;
  const Context& c = Ctx();
  AccessSnapshot next;
  next.items = std::move(r.items);
  r.items.clear();
  r.by_focus.clear();
  for (size_t i = 0; i < next.items.size(); ++i) {
    AccessItem& item = next.items[i];
    if (i < r.rows.size() && r.rows[i] && item.value.empty()) item.value = ShownInside(item, r.texts);
    if (item.role == AccessRole::kNone && i < r.rows.size() && r.rows[i]) item.role = AccessRole::kListRow;
    if (item.focus_id >= 0 && item.focus_id == c.focus && next.focused < 0) {
      item.state |= kAccessFocused;
      next.focused = static_cast<int>(i);
    }
  }
  r.rows.clear();
  Identify(&next.items);
  if (hwnd) {
    wchar_t title[128] = {};
    GetWindowTextW(hwnd, title, 128);
    next.title = title;
  }

  const access::TreeRef tree = r.tree;
  if (!tree) return;
  AccessSnapshot before;
  {
    ScopedLock hold(&tree->lock);
    next.serial = tree->snapshot.serial + 1;
    before = tree->snapshot;  // the GUI thread is the only writer: this copy is the last frame's
    tree->snapshot = next;
  }
  if (!hwnd || tree->hwnd != hwnd) return;  // recording for a test: nobody to tell
  const access::AccessChanges changes = access::DiffSnapshots(before, next);
  access::RaiseMsaaEvents(hwnd, next, changes);
  if (r.gave_uia) access::RaiseUiaEvents(tree, before, next, changes);
}

bool AnswerGetObject(HWND hwnd, WPARAM wparam, LPARAM lparam, LRESULT* result, bool* wants_frame) {
  Recording& r = Rec();
  const LONG object = static_cast<LONG>(lparam);
  const bool msaa = object == OBJID_CLIENT;
  const bool uia = object == -25 /* UiaRootObjectId */ && access::UiaAvailable();
  if (!msaa && !uia) return false;
  if (!r.tree || r.tree->hwnd != hwnd) r.tree = std::make_shared<access::Tree>(hwnd);
  *wants_frame = !r.on || r.tree->snapshot.serial == 0;
  r.on = true;
  detail::g_capturing = true;
  if (uia) {
    r.gave_uia = true;
    return access::ReturnUiaRoot(r.tree, wparam, lparam, result);
  }
  IAccessible* root = access::NewMsaaRoot(r.tree);
  *result = LresultFromObject(access::kIidAccessible, wparam, root);
  root->Release();
  return true;
}

bool ApplyAccessAction(WPARAM wparam, LPARAM lparam, NavQueue* queue) {
  Recording& r = Rec();
  if (!r.tree) return false;
  const uint32_t uid = static_cast<uint32_t>(wparam);
  const auto action = static_cast<AccessAction>(lparam & 0xFF);
  const int64_t argument = static_cast<int64_t>(lparam) >> 8;
  int focus_id = -1;
  {
    ScopedLock hold(&r.tree->lock);
    if (const AccessItem* item = access::FindItem(r.tree->snapshot, uid)) focus_id = item->focus_id;
  }
  if (focus_id < 0) return false;
  switch (action) {
    case kAccessActivate:
      queue->Push(NavEvent::FocusBase + focus_id);
      queue->Push(NavEvent::Activate);
      return true;
    case kAccessFocus:
      queue->Push(NavEvent::FocusBase + focus_id);
      return true;
    case kAccessSetNumber:
    case kAccessSetOption:
      r.requests.push_back({focus_id, action, argument});
      return true;
  }
  return false;
}

void AccessWindowGone(HWND hwnd) {
  Recording& r = Rec();
  if (!r.tree || r.tree->hwnd != hwnd) return;
  {
    ScopedLock hold(&r.tree->lock);
    r.tree->alive = false;
    r.tree->snapshot = AccessSnapshot();
  }
  if (r.gave_uia) access::UiaWindowGone(hwnd);
  r = Recording();
  detail::g_capturing = false;
}

AccessSnapshot LastAccessSnapshot() {
  const Recording& r = Rec();
  if (r.tree) {
    ScopedLock hold(&r.tree->lock);
    if (r.tree->snapshot.serial > 0) return r.tree->snapshot;
  }
  AccessSnapshot none;
  return none;
}

HRESULT AccessUiaRoot(HWND hwnd, REFIID iid, void** out) {
  *out = nullptr;
  const Recording& r = Rec();
  if (!r.tree || r.tree->hwnd != hwnd) return E_FAIL;
  IUnknown* root = access::NewUiaRoot(r.tree);
  if (!root) return E_FAIL;
  const HRESULT hr = root->QueryInterface(iid, out);
  root->Release();
  return hr;
}

// [SECTION] Shared by the adapters

namespace access {

Tree::Tree(HWND window) : hwnd(window) { InitializeCriticalSection(&lock); }
Tree::~Tree() { DeleteCriticalSection(&lock); }

const AccessItem* FindItem(const AccessSnapshot& snapshot, uint32_t uid, int* index) {
  for (size_t i = 0; i < snapshot.items.size(); ++i) {
    if (snapshot.items[i].uid != uid) continue;
    if (index) *index = static_cast<int>(i);
    return &snapshot.items[i];
  }
  return nullptr;
}

RECT ScreenRect(HWND hwnd, const AccessItem& item) {
  POINT origin = {0, 0};
  if (hwnd) ClientToScreen(hwnd, &origin);
  RECT r;
  r.left = origin.x + static_cast<LONG>(std::floor(item.x));
  r.top = origin.y + static_cast<LONG>(std::floor(item.y));
  r.right = origin.x + static_cast<LONG>(std::ceil(item.x + item.w));
  r.bottom = origin.y + static_cast<LONG>(std::ceil(item.y + item.h));
  return r;
}

int HitTest(const AccessSnapshot& snapshot, HWND hwnd, POINT screen) {
  // Focus stops before text: a row's link lies inside the row's own text.
  int text_hit = -1;
  for (size_t i = snapshot.items.size(); i-- > 0;) {
    const AccessItem& item = snapshot.items[i];
    if (item.state & kAccessOffscreen) continue;
    const RECT r = ScreenRect(hwnd, item);
    if (!PtInRect(&r, screen)) continue;
    if (item.focus_id >= 0) return static_cast<int>(i);
    if (text_hit < 0) text_hit = static_cast<int>(i);
  }
  return text_hit;
}

int Nearest(const AccessSnapshot& snapshot, int from, int direction) {
  if (from < 0 || static_cast<size_t>(from) >= snapshot.items.size()) return -1;
  const AccessItem& a = snapshot.items[static_cast<size_t>(from)];
  const float ax = a.x + a.w / 2, ay = a.y + a.h / 2;
  int best = -1;
  float best_distance = 0;
  for (size_t i = 0; i < snapshot.items.size(); ++i) {
    if (static_cast<int>(i) == from) continue;
    const AccessItem& b = snapshot.items[i];
    const float dx = b.x + b.w / 2 - ax, dy = b.y + b.h / 2 - ay;
    const bool ahead = direction == 0 ? dy < -1 : direction == 1 ? dy > 1 : direction == 2 ? dx < -1 : dx > 1;
    if (!ahead) continue;
    // Distance along the direction counts once, across it three times.
    const float along = direction <= 1 ? std::fabs(dy) : std::fabs(dx);
    const float across = direction <= 1 ? std::fabs(dx) : std::fabs(dy);
    const float distance = along + 3 * across;
    if (best < 0 || distance < best_distance) {
      best = static_cast<int>(i);
      best_distance = distance;
    }
  }
  return best;
}

bool PostAction(const Tree& tree, uint32_t uid, AccessAction action, int64_t argument) {
  if (!tree.hwnd || !IsWindow(tree.hwnd)) return false;
  const LPARAM lparam = static_cast<LPARAM>((argument << 8) | static_cast<int64_t>(action));
  return PostMessageW(tree.hwnd, kAccessActionMessage, static_cast<WPARAM>(uid), lparam) != FALSE;
}

int OptionIndex(const AccessItem& item, const wchar_t* text) {
  if (!text) return -1;
  const std::wstring wanted = Lower(text);
  for (size_t i = 0; i < item.options.size(); ++i)
    if (Lower(item.options[i]) == wanted) return static_cast<int>(i);
  return -1;
}

AccessChanges DiffSnapshots(const AccessSnapshot& before, const AccessSnapshot& after) {
  AccessChanges changes;
  if (before.items.size() != after.items.size()) changes.structure = true;
  for (size_t i = 0; i < after.items.size(); ++i) {
    const AccessItem& item = after.items[i];
    int old_index = -1;
    const AccessItem* old = FindItem(before, item.uid, &old_index);
    if (!old) {
      changes.structure = true;
      if (item.role == AccessRole::kAlert) changes.alert = static_cast<int>(i);
      continue;
    }
    if (old_index != static_cast<int>(i)) changes.structure = true;
    if (!Differs(*old, item)) continue;
    const int index = static_cast<int>(i);
    if (old->name != item.name) {
      changes.names.push_back(index);
      if (item.state & kAccessLive) changes.live.push_back(index);
    }
    if ((old->state & ~kAccessFocused) != (item.state & ~kAccessFocused)) changes.states.push_back(index);
    if (old->value != item.value) changes.values.push_back(index);
  }
  const uint32_t old_focus = before.focused >= 0 ? before.items[static_cast<size_t>(before.focused)].uid : 0;
  const uint32_t new_focus = after.focused >= 0 ? after.items[static_cast<size_t>(after.focused)].uid : 0;
  changes.focus = new_focus != 0 && (new_focus != old_focus || changes.structure);
  return changes;
}

}  // namespace access
}  // namespace ui
