// The accessibility model and both adapters in one process: frames of a few widgets are
// recorded and published for a window of the test's own, read through MSAA and UI
// Automation as a client reads them, and acted on through both. An action comes back as a
// posted window message that becomes the keys the widgets already answer.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "tests/ui/access_client.h"
#include "tests/ui/ui_test_fixture.h"
#include "ui/access.h"
#include "ui/access_tree.h"
#include "ui/buttons.h"
#include "ui/interaction.h"
#include "ui/uia_api.h"
#include "ui/value_controls.h"

namespace {

using namespace ui::uia;

template <typename T>
struct Ref {
  T* p = nullptr;
  Ref() = default;
  explicit Ref(T* raw) : p(raw) {}
  Ref(Ref&& other) noexcept : p(other.p) { other.p = nullptr; }
  Ref(const Ref&) = delete;
  ~Ref() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
  void** out() { return reinterpret_cast<void**>(&p); }
};

LRESULT CALLBACK AnsweringProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT answer = 0;
  bool wants_frame = false;
  if (message == WM_GETOBJECT && ui::AnswerGetObject(hwnd, wparam, lparam, &answer, &wants_frame)) return answer;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

using accesstest::Child;
std::wstring Text(BSTR b) { return accesstest::Take(b); }

class AccessTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = AnsweringProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"AccessTestWindow";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, L"AccessTestWindow", L"Sample", WS_POPUP, 0, 0, 1280, 720, nullptr, nullptr,
                            wc.hInstance, nullptr);
  }
  void TearDown() override {
    if (IsWindow(hwnd_)) {
      ui::AccessWindowGone(hwnd_);
      DestroyWindow(hwnd_);
    }
    CoUninitialize();
    UiTest::TearDown();
  }

  // A client asks: from now on frames are recorded.
  Ref<IAccessible> Msaa() {
    Ref<IAccessible> root;
    EXPECT_EQ(S_OK, AccessibleObjectFromWindow(hwnd_, OBJID_CLIENT, ui::access::kIidAccessible, root.out()));
    return root;
  }
  Ref<IRawElementProviderFragmentRoot> Uia() {
    Ref<IRawElementProviderFragmentRoot> root;
    EXPECT_EQ(S_OK, ui::AccessUiaRoot(hwnd_, kIidFragmentRoot, root.out()));
    return root;
  }

  // One frame of the sample screen from the queued keys, then published.
  void Draw() {
    Frame(ui::FrameInput(ui::Input(), &queue_, false), [&] {
      ui::AccessText(ui::AccessRole::kHeading, L"Sample", 100, 40, 400, 40);
      if (ui::PlayButton(L"PLAY", 100, 100, 300, 74, true, false)) ++plays_;
      const int vsync = Row(200, L"V-sync");
      ui::Toggle(&vsync_, 400, 210, vsync);
      const int volume = Row(260, L"Master volume");
      ui::Slider(&volume_, 0, 100, 5, 400, 270, 300, volume, L"%");
      const int mode = Row(320, L"Window mode");
      ui::Segmented({L"Windowed", L"Borderless"}, &mode_, 400, 330, mode, 34);
      ui::Button(L"Done", 100, 400, nullptr, false);
      if (toast_) ui::AccessText(ui::AccessRole::kAlert, L"Saved.", 400, 660, 480, 40);
    });
    ui::PublishAccess(hwnd_);
  }
  int Row(float y, const wchar_t* label) {
    const int id = ui::Focusable(100, y, 600, 50);
    ui::AccessLabel(id, label, L"");
    return id;
  }
  // What clients posted becomes queued keys; frames run until they are all taken.
  void Settle() {
    MSG msg;
    while (PeekMessageW(&msg, hwnd_, ui::kAccessActionMessage, ui::kAccessActionMessage, PM_REMOVE))
      ui::ApplyAccessAction(msg.wParam, msg.lParam, &queue_);
    do Draw();
    while (!queue_.Empty());
  }
  long ChildNamed(IAccessible* root, const std::wstring& name) {
    long count = 0;
    root->get_accChildCount(&count);
    for (long i = 1; i <= count; ++i) {
      BSTR b = nullptr;
      root->get_accName(Child(i), &b);
      if (Text(b) == name) return i;
    }
    return 0;
  }
  std::vector<Ref<IRawElementProviderFragment>> Fragments(IRawElementProviderFragmentRoot* root) {
    std::vector<Ref<IRawElementProviderFragment>> out;
    Ref<IRawElementProviderFragment> fragment;
    root->QueryInterface(kIidFragment, fragment.out());
    Ref<IRawElementProviderFragment> next;
    fragment->Navigate(kNavFirstChild, &next.p);
    while (next.p) {
      Ref<IRawElementProviderFragment> after;
      next->Navigate(kNavNextSibling, &after.p);
      out.push_back(std::move(next));
      next.p = after.p;
      after.p = nullptr;
    }
    return out;
  }
  static VARIANT Property(IRawElementProviderFragment* f, int id) {
    Ref<IRawElementProviderSimple> simple;
    f->QueryInterface(kIidSimple, simple.out());
    VARIANT v;
    VariantInit(&v);
    simple->GetPropertyValue(id, &v);
    return v;
  }
  static std::wstring Name(IRawElementProviderFragment* f) {
    VARIANT v = Property(f, kNameProperty);
    return Text(v.vt == VT_BSTR ? v.bstrVal : nullptr);
  }
  template <typename Pattern>
  Ref<Pattern> PatternOf(IRawElementProviderFragment* f, int pattern) {
    Ref<IRawElementProviderSimple> simple;
    f->QueryInterface(kIidSimple, simple.out());
    Ref<IUnknown> unknown;
    simple->GetPatternProvider(pattern, &unknown.p);
    return Ref<Pattern>(reinterpret_cast<Pattern*>(unknown.p ? (unknown.p->AddRef(), unknown.p) : nullptr));
  }

  HWND hwnd_ = nullptr;
  ui::NavQueue queue_;
  int plays_ = 0;
  bool vsync_ = false;
  int volume_ = 80;
  int mode_ = 0;
  bool toast_ = false;
};

TEST_F(AccessTest, NothingIsRecordedUntilAClientAsksAndThenEveryControlIsNamed) {
  Draw();
  EXPECT_FALSE(ui::AccessRecording());
  EXPECT_EQ(0u, ui::LastAccessSnapshot().serial);

  Ref<IAccessible> root = Msaa();
  Draw();
  const ui::AccessSnapshot s = ui::LastAccessSnapshot();
  ASSERT_EQ(6u, s.items.size());
  const wchar_t* names[] = {L"Sample", L"PLAY", L"V-sync", L"Master volume", L"Window mode", L"DONE"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(names[i], s.items[i].name);
  EXPECT_EQ(L"Off", s.items[2].value);
  EXPECT_EQ(L"80%", s.items[3].value);
  EXPECT_EQ(L"Windowed", s.items[4].value);
  EXPECT_TRUE(s.items[5].state & ui::kAccessDisabled);

  // Location in screen pixels: the window's origin plus the design rectangle at scale 1.
  RECT window = {};
  GetWindowRect(hwnd_, &window);
  long x = 0, y = 0, w = 0, h = 0;
  EXPECT_EQ(S_OK, root->accLocation(&x, &y, &w, &h, Child(2)));
  EXPECT_EQ(window.left + 100, x);
  EXPECT_EQ(window.top + 100, y);
  EXPECT_EQ(300, w);
  VARIANT hit;
  EXPECT_EQ(S_OK, root->accHitTest(window.left + 150, window.top + 215, &hit));
  BSTR name = nullptr;
  root->get_accName(hit, &name);
  EXPECT_EQ(L"V-sync", Text(name));  // the row, by the id that stays its own in later frames
}

TEST_F(AccessTest, BothTreesAgreeOnItemsOrderRolesAndTheOneFocus) {
  Ref<IAccessible> msaa = Msaa();
  Ref<IRawElementProviderFragmentRoot> uia = Uia();
  Draw();
  std::vector<Ref<IRawElementProviderFragment>> fragments = Fragments(uia.p);
  long count = 0;
  msaa->get_accChildCount(&count);
  ASSERT_EQ(static_cast<size_t>(count), fragments.size());
  int focused = 0;
  for (long i = 1; i <= count; ++i) {
    BSTR b = nullptr;
    msaa->get_accName(Child(i), &b);
    IRawElementProviderFragment* f = fragments[static_cast<size_t>(i) - 1].p;
    EXPECT_EQ(Text(b), Name(f));
    VARIANT state;
    msaa->get_accState(Child(i), &state);
    const VARIANT has_focus = Property(f, kHasKeyboardFocusProperty);
    EXPECT_EQ((state.lVal & STATE_SYSTEM_FOCUSED) != 0, has_focus.boolVal == VARIANT_TRUE) << i;
    if (state.lVal & STATE_SYSTEM_FOCUSED) ++focused;
  }
  EXPECT_EQ(1, focused);
  const int roles[] = {kTextControl, kButtonControl, kCheckBoxControl, kSliderControl, kComboBoxControl, kButtonControl};
  for (size_t i = 0; i < fragments.size(); ++i) EXPECT_EQ(roles[i], Property(fragments[i].p, kControlTypeProperty).lVal);
  EXPECT_EQ(kHeadingLevel1, Property(fragments[0].p, kHeadingLevelProperty).lVal);

  // The focus each side reports is the toolkit's.
  Ref<IRawElementProviderFragment> uia_focus;
  uia->GetFocus(&uia_focus.p);
  VARIANT msaa_focus;
  msaa->get_accFocus(&msaa_focus);
  ASSERT_TRUE(uia_focus.p);
  BSTR b = nullptr;
  msaa->get_accName(msaa_focus, &b);
  EXPECT_EQ(Text(b), Name(uia_focus.p));
  EXPECT_EQ(L"PLAY", Name(uia_focus.p));

  // MSAA's navigation: in reading order, and by where items lie on the screen.
  const auto name_at = [&](long direction, const VARIANT& from) {
    VARIANT to;
    if (msaa->accNavigate(direction, from, &to) != S_OK) return std::wstring(L"(none)");
    BSTR n = nullptr;
    msaa->get_accName(to, &n);
    return Text(n);
  };
  EXPECT_EQ(L"Sample", name_at(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF)));
  EXPECT_EQ(L"DONE", name_at(NAVDIR_LASTCHILD, Child(CHILDID_SELF)));
  EXPECT_EQ(L"V-sync", name_at(NAVDIR_NEXT, msaa_focus));
  EXPECT_EQ(L"Sample", name_at(NAVDIR_PREVIOUS, msaa_focus));
  EXPECT_EQ(L"V-sync", name_at(NAVDIR_DOWN, msaa_focus));
  EXPECT_EQ(L"(none)", name_at(NAVDIR_PREVIOUS, Child(1)));
}

TEST_F(AccessTest, ClientActionsArriveAsTheKeysThatDoTheSame) {
  Ref<IAccessible> msaa = Msaa();
  Ref<IRawElementProviderFragmentRoot> uia = Uia();
  Draw();

  // MSAA: the default action of the toggle row moves the focus there and presses Enter.
  const long vsync = ChildNamed(msaa.p, L"V-sync");
  EXPECT_EQ(S_OK, msaa->accDoDefaultAction(Child(vsync)));
  EXPECT_FALSE(vsync_);  // posted, not run inside the call
  Settle();
  EXPECT_TRUE(vsync_);
  VARIANT state;
  msaa->get_accState(Child(vsync), &state);
  EXPECT_TRUE(state.lVal & STATE_SYSTEM_CHECKED);
  EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSED);

  // UI Automation: Toggle, Invoke, RangeValue and Value, each through its pattern.
  std::vector<Ref<IRawElementProviderFragment>> f = Fragments(uia.p);
  Ref<IToggleProvider> toggle = PatternOf<IToggleProvider>(f[2].p, kTogglePattern);
  ASSERT_TRUE(toggle.p);
  EXPECT_EQ(S_OK, toggle->Toggle());
  Settle();
  int toggle_state = -1;
  toggle->get_ToggleState(&toggle_state);
  EXPECT_EQ(kToggleOff, toggle_state);
  EXPECT_FALSE(vsync_);

  Ref<IInvokeProvider> invoke = PatternOf<IInvokeProvider>(f[1].p, kInvokePattern);
  ASSERT_TRUE(invoke.p);
  EXPECT_EQ(S_OK, invoke->Invoke());
  Settle();
  EXPECT_EQ(1, plays_);

  Ref<IRangeValueProvider> range = PatternOf<IRangeValueProvider>(f[3].p, kRangeValuePattern);
  ASSERT_TRUE(range.p);
  EXPECT_EQ(E_INVALIDARG, range->SetValue(140));
  EXPECT_EQ(S_OK, range->SetValue(43));  // the slider's own grid: 45
  Settle();
  EXPECT_EQ(45, volume_);
  double value = 0;
  range->get_Value(&value);
  EXPECT_EQ(45, value);

  Ref<IValueProvider> choice = PatternOf<IValueProvider>(f[4].p, kValuePattern);
  ASSERT_TRUE(choice.p);
  EXPECT_EQ(E_INVALIDARG, choice->SetValue(L"Fullscreen"));
  EXPECT_EQ(S_OK, choice->SetValue(L"borderless"));
  Settle();
  EXPECT_EQ(1, mode_);

  // MSAA sets the same values by their text: a number rounds to the nearest on the grid.
  const auto put = [&](const wchar_t* name, const wchar_t* shown) {
    BSTR text = SysAllocString(shown);
    const HRESULT hr = msaa->put_accValue(Child(ChildNamed(msaa.p, name)), text);
    SysFreeString(text);
    return hr;
  };
  EXPECT_EQ(E_INVALIDARG, put(L"Master volume", L"140"));
  EXPECT_EQ(S_OK, put(L"Master volume", L"57.6"));
  EXPECT_EQ(S_OK, put(L"Window mode", L"Windowed"));
  Settle();
  EXPECT_EQ(60, volume_);
  EXPECT_EQ(0, mode_);

  // Patterns only where they fit; a disabled button is not invoked.
  EXPECT_FALSE(PatternOf<IToggleProvider>(f[1].p, kTogglePattern).p);
  Ref<IInvokeProvider> done = PatternOf<IInvokeProvider>(f[5].p, kInvokePattern);
  EXPECT_EQ(static_cast<HRESULT>(0x80040200), done->Invoke());  // UIA_E_ELEMENTNOTENABLED

  // accSelect with take-focus moves the focus and nothing else.
  EXPECT_EQ(S_OK, msaa->accSelect(SELFLAG_TAKEFOCUS, Child(ChildNamed(msaa.p, L"Window mode"))));
  Settle();
  VARIANT focus;
  msaa->get_accFocus(&focus);
  BSTR name = nullptr;
  msaa->get_accName(focus, &name);
  EXPECT_EQ(L"Window mode", Text(name));
  EXPECT_EQ(1, plays_);
}

// What an out-of-context hook heard from the window: the event and the child id it named.
struct Heard {
  DWORD event;
  LONG child;
  bool operator==(const Heard&) const = default;
};
std::vector<Heard> g_heard;
HWND g_heard_window = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (hwnd == g_heard_window && object == OBJID_CLIENT) g_heard.push_back({event, child});
}

TEST_F(AccessTest, ChangesBetweenFramesAreToldToListeningClients) {
  Ref<IAccessible> msaa = Msaa();
  Draw();
  const ui::AccessSnapshot first = ui::LastAccessSnapshot();
  const auto uid = [&first](size_t i) { return static_cast<LONG>(first.items[i].uid); };
  g_heard.clear();
  g_heard_window = hwnd_;
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_MIN, EVENT_OBJECT_VALUECHANGE, nullptr, OnWinEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_TRUE(hook);
  const auto heard = [&] {
    MSG msg;  // out-of-context events arrive through this thread's messages
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    std::vector<Heard> out;
    out.swap(g_heard);
    return out;
  };

  // A frame like the last one: nothing to tell.
  Draw();
  EXPECT_EQ(std::vector<Heard>{}, heard());

  // The toggle flipped and the focus moved onto its row; the slider's value changed.
  vsync_ = true;
  volume_ = 60;
  queue_.Push(ui::NavEvent::Down);
  Draw();
  EXPECT_EQ((std::vector<Heard>{{EVENT_OBJECT_FOCUS, uid(2)},
                                {EVENT_OBJECT_STATECHANGE, uid(2)},
                                {EVENT_OBJECT_VALUECHANGE, uid(2)},
                                {EVENT_OBJECT_VALUECHANGE, uid(3)}}),
            heard());

  // A toast appears: the list changed, and the toast is an alert.
  toast_ = true;
  Draw();
  const ui::AccessSnapshot with_toast = ui::LastAccessSnapshot();
  ASSERT_EQ(first.items.size() + 1, with_toast.items.size());
  const LONG toast = static_cast<LONG>(with_toast.items.back().uid);
  EXPECT_EQ((std::vector<Heard>{{EVENT_OBJECT_REORDER, CHILDID_SELF},
                                {EVENT_OBJECT_FOCUS, uid(2)},
                                {EVENT_SYSTEM_ALERT, toast}}),
            heard());
  UnhookWinEvent(hook);
  g_heard_window = nullptr;
}

TEST_F(AccessTest, ObjectsAClientKeepsAnswerNotAvailableOnceTheWindowHasGone) {
  Ref<IAccessible> msaa = Msaa();
  Ref<IRawElementProviderFragmentRoot> uia = Uia();
  Draw();
  std::vector<Ref<IRawElementProviderFragment>> f = Fragments(uia.p);
  Ref<IToggleProvider> toggle = PatternOf<IToggleProvider>(f[2].p, kTogglePattern);
  ASSERT_TRUE(toggle.p);

  ui::AccessWindowGone(hwnd_);
  DestroyWindow(hwnd_);
  long count = -1;
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, msaa->get_accChildCount(&count));
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, msaa->accDoDefaultAction(Child(3)));
  constexpr HRESULT kNotAvailable = static_cast<HRESULT>(0x80040201);
  EXPECT_EQ(kNotAvailable, toggle->Toggle());
  UiaRect r;
  EXPECT_EQ(kNotAvailable, f[0]->get_BoundingRectangle(&r));
  Ref<IRawElementProviderFragment> none;
  EXPECT_EQ(kNotAvailable, uia->GetFocus(&none.p));
  Ref<IRawElementProviderSimple> window;
  ASSERT_EQ(S_OK, uia->QueryInterface(kIidSimple, window.out()));
  VARIANT v;
  EXPECT_EQ(kNotAvailable, window->GetPropertyValue(kNameProperty, &v));
}

}  // namespace
