// A screen reader's walk through a new player's first run, from another process: the
// launcher (the test build, installed with the stand-in tools) runs as a player starts it,
// and this test reads its window through MSAA as a screen reader does, hears every focus
// move through an out-of-context event hook, and drives it with keys alone (plus one
// default action, as a screen reader user would use). At each step it checks what would be
// said. The UI Automation tree, read through the flat client API (what Wine offers of it),
// must list the same items in the same order, with the focus on the same one.
#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "ui/access_tree.h"
#include "ui/uia_api.h"
#include "tests/launcher/scene.h"
#include "tests/support/child_run.h"
#include "tests/ui/access_client.h"
#include "tests/support/temp_folder.h"

namespace {

struct Said {
  std::wstring name, value;
  long role = 0, state = 0;
};

HWND g_window = nullptr;
std::vector<LONG> g_moves;    // focus moves as the hook got them: child ids, read later
std::vector<Said> g_focus;    // every focus move, as heard
struct Change {
  DWORD event;
  LONG child;
};
std::vector<Change> g_changes;  // every other event heard: reorders, states, values

using accesstest::Child;
using accesstest::Take;

Said Read(IAccessible* acc, const VARIANT& child) {
  Said s;
  BSTR b = nullptr;
  acc->get_accName(child, &b);
  s.name = Take(b);
  b = nullptr;
  acc->get_accValue(child, &b);
  s.value = Take(b);
  VARIANT v;
  if (acc->get_accRole(child, &v) == S_OK) s.role = v.lVal;
  if (acc->get_accState(child, &v) == S_OK) s.state = v.lVal;
  return s;
}

// Only notes the event: reading it calls the launcher, and a cross-process call pumps
// messages, which would run the next event's callback inside this one, out of order.
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (hwnd != g_window || object != OBJID_CLIENT) return;  // the hook hears every process
  if (event == EVENT_OBJECT_FOCUS)
    g_moves.push_back(child);
  else
    g_changes.push_back({event, child});
}

// Whether the event was heard for the child since the first `since` changes.
bool HeardChange(size_t since, DWORD event, LONG child) {
  for (size_t i = since; i < g_changes.size(); ++i)
    if (g_changes[i].event == event && g_changes[i].child == child) return true;
  return false;
}

// What a screen reader says for each focus move, read as it would: from the event.
void ReadMoves() {
  while (!g_moves.empty()) {
    const LONG child = g_moves.front();
    g_moves.erase(g_moves.begin());
    IAccessible* acc = nullptr;
    VARIANT v;
    if (AccessibleObjectFromEvent(g_window, OBJID_CLIENT, child, &acc, &v) != S_OK) continue;
    g_focus.push_back(Read(acc, v));
    acc->Release();
  }
}

// The flat UI Automation client, from uiautomationcore.dll.
struct UiaCondition {
  int type;  // ConditionType_True
};
struct UiaCacheRequest {
  UiaCondition* view;
  int scope;  // TreeScope_Element
  int* properties;
  int property_count;
  int* patterns;
  int pattern_count;
  int mode;   // AutomationElementMode_Full
};
struct UiaFindParams {
  int max_depth;
  BOOL find_first;
  BOOL exclude_root;
  UiaCondition* condition;
};
using Node = void*;
namespace uia = ui::uia;

class ScreenReaderTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    scene_ = launchertest::MakeScene(Path("scene"));
    ASSERT_TRUE(scene_.ok);
    dump_ = launchertest::MakeReadyDump(scene_, "profile\\home\\Downloads\\Skarvel (USA)");
    testsupport::MakeFolders(scene_.root + "\\shortcuts");
    scene_.options.env.push_back({"KESTRANE_SHORTCUT_DIR", scene_.root + "\\shortcuts"});
    SetCursorPos(0, 0);  // away from where the window opens: the focus follows a moving pointer
  }
  void TearDown() override {
    if (hook_) UnhookWinEvent(hook_);
    g_window = nullptr;
    g_moves.clear();
    g_focus.clear();
    g_changes.clear();
    if (root_) root_->Release();
    if (child_.process) {
      if (WaitForSingleObject(child_.process, 30000) != WAIT_OBJECT_0) TerminateProcess(child_.process, 1);
      CloseHandle(child_.process);
    }
    CoUninitialize();
    TempFolderTest::TearDown();
  }

  // The build the stand-in Python runs holds in its step until the file `release` exists.
  void SteerBuild() {
    ASSERT_TRUE(testsupport::WriteFile(scene_.root + "\\checkout\\tools\\gametrial\\link.py",
                                       "output=" + scene_.install + "\\KestraneGame.exe\ngame_from=" +
                                           testsupport::BinDir() + "standin_game.exe\nline=compiling main\nwait_for=" +
                                           Release() + "\n"));
  }
  std::string Release() const { return scene_.root + "\\release"; }

  // Starts the launcher and attaches as a screen reader does: the event hook, then the
  // window's client object.
  bool Start() {
    child_ = testsupport::StartChild(scene_.install + "\\Kestrane.exe", {}, scene_.options);
    if (!child_.process) return false;
    const bool found = Until([&] {
      EnumWindows(
          [](HWND hwnd, LPARAM self) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            wchar_t name[64] = {};
            GetClassNameW(hwnd, name, 64);
            auto* test = reinterpret_cast<ScreenReaderTest*>(self);
            if (pid != test->child_.id || wcscmp(name, L"KestraneLauncher") != 0 || !IsWindowVisible(hwnd)) return TRUE;
            g_window = hwnd;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(this));
      return g_window != nullptr;
    });
    if (!found) return false;
    // Process 0: a hook filtered by the launcher's process id hears nothing under Wine.
    hook_ = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_VALUECHANGE, nullptr, OnEvent, 0, 0,
                            WINEVENT_OUTOFCONTEXT);
    if (AccessibleObjectFromWindow(g_window, OBJID_CLIENT, ui::access::kIidAccessible, reinterpret_cast<void**>(&root_)) != S_OK)
      return false;
    return Until([&] { return !Items().empty(); });
  }

  // Pumps this thread's messages (the hook's events come through them) until done holds.
  bool Until(const std::function<bool()>& done, DWORD limit_ms = 60000) {
    const ULONGLONG until = GetTickCount64() + limit_ms;
    for (;;) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      ReadMoves();
      if (done()) return true;
      if (GetTickCount64() >= until) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
  }

  std::vector<Said> Items() {
    std::vector<Said> items;
    long count = 0;
    if (!root_ || root_->get_accChildCount(&count) != S_OK) return items;
    for (long i = 1; i <= count; ++i) items.push_back(Read(root_, Child(i)));
    return items;
  }

  // A key as the keyboard sends it; then the focus move it makes, as heard.
  Said Press(WPARAM key, DWORD limit_ms = 20000) {
    const size_t heard = g_focus.size();
    PostMessageW(g_window, WM_KEYDOWN, key, 1);
    PostMessageW(g_window, WM_KEYUP, key, 0xC0000001);
    return HeardAfter(heard, limit_ms);
  }
  // The first thing heard after `heard` things: a frame in between that put the focus
  // somewhere else for a moment would be heard too, first.
  Said HeardAfter(size_t heard, DWORD limit_ms = 20000) {
    if (!Until([&] { return g_focus.size() > heard; }, limit_ms)) return Said();
    return g_focus[heard];
  }
  Said HeardWhen(const std::wstring& name, DWORD limit_ms = 120000) {
    Until([&] { return !g_focus.empty() && g_focus.back().name == name; }, limit_ms);
    return g_focus.empty() ? Said() : g_focus.back();
  }

  // What was heard so far, for a failure's message.
  static std::string Heard() {
    std::string out;
    for (const Said& s : g_focus) out += "\n  heard: " + text::WideToUtf8(s.name) + " (" + std::to_string(s.role) + ")";
    return out;
  }
  std::string Tree() {
    std::string out;
    for (const Said& s : Items()) out += "\n  item: " + text::WideToUtf8(s.name) + " = " + text::WideToUtf8(s.value);
    return out;
  }

  // The child id (its position) of the item with this name; 0 for none.
  long ChildNamed(const std::wstring& name) {
    const std::vector<Said> items = Items();
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].name == name) return static_cast<long>(i) + 1;
    return 0;
  }

  bool Has(const std::wstring& name, long role = 0) {
    for (const Said& s : Items())
      if (s.name == name && (role == 0 || s.role == role)) return true;
    return false;
  }

  // Every screen: every focus stop has a name, and exactly one holds the focus.
  void ExpectNamedWithOneFocus(const char* screen) {
    int focused = 0;
    for (const Said& s : Items()) {
      if (s.state & STATE_SYSTEM_FOCUSABLE) {
        EXPECT_FALSE(s.name.empty()) << screen;
      }
      if (s.state & STATE_SYSTEM_FOCUSED) ++focused;
    }
    EXPECT_EQ(1, focused) << screen;
  }

  // Tab walks every focus stop once, in the order the tree lists them, back to the start.
  void ExpectTabWalksTheStops(const char* screen) {
    std::vector<std::wstring> stops;
    size_t at = 0;
    for (const Said& s : Items()) {
      if (!(s.state & STATE_SYSTEM_FOCUSABLE)) continue;
      if (s.state & STATE_SYSTEM_FOCUSED) at = stops.size();
      stops.push_back(s.name);
    }
    for (size_t i = 1; i <= stops.size(); ++i)
      EXPECT_EQ(stops[(at + i) % stops.size()], Press(VK_TAB).name) << screen << " stop " << i;
  }

  // The UI Automation tree of the window, read with the flat API (all Wine offers of it):
  // the same items as MSAA's in the same order, each with the control type of its role, an
  // automation id and a runtime id of its own, focusable and enabled as MSAA says, and the
  // keyboard focus on the same one; a search of the window's children finds them all.
  void ExpectUiaAgrees() {
    HMODULE dll = LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    ASSERT_TRUE(dll);
    auto take = [dll](const char* name) { return reinterpret_cast<void*>(GetProcAddress(dll, name)); };
    auto from_handle = reinterpret_cast<HRESULT(WINAPI*)(HWND, Node*)>(take("UiaNodeFromHandle"));
    auto release = reinterpret_cast<BOOL(WINAPI*)(Node)>(take("UiaNodeRelease"));
    auto property = reinterpret_cast<HRESULT(WINAPI*)(Node, int, VARIANT*)>(take("UiaGetPropertyValue"));
    auto runtime_id = reinterpret_cast<HRESULT(WINAPI*)(Node, SAFEARRAY**)>(take("UiaGetRuntimeId"));
    auto navigate = reinterpret_cast<HRESULT(WINAPI*)(Node, int, UiaCondition*, UiaCacheRequest*, SAFEARRAY**, BSTR*)>(
        take("UiaNavigate"));
    auto find = reinterpret_cast<HRESULT(WINAPI*)(Node, UiaFindParams*, UiaCacheRequest*, SAFEARRAY**, SAFEARRAY**,
                                                  SAFEARRAY**)>(take("UiaFind"));
    auto from_variant = reinterpret_cast<HRESULT(WINAPI*)(VARIANT*, Node*)>(take("UiaHUiaNodeFromVariant"));
    ASSERT_TRUE(from_handle && release && property && runtime_id && navigate && find && from_variant);

    UiaCondition all = {0};
    UiaCacheRequest request = {&all, 1, nullptr, 0, nullptr, 0, 1};
    auto step = [&](Node from, int direction) {
      SAFEARRAY* data = nullptr;
      BSTR structure = nullptr;
      Node next = nullptr;
      if (navigate(from, direction, &all, &request, &data, &structure) == S_OK && data) {
        LONG at[2] = {0, 0};
        VARIANT v;
        VariantInit(&v);
        if (SafeArrayGetElement(data, at, &v) == S_OK) from_variant(&v, &next);
        VariantClear(&v);
        SafeArrayDestroy(data);
      }
      SysFreeString(structure);
      return next;
    };
    auto text = [&](Node node, int id) {
      VARIANT v;
      VariantInit(&v);
      property(node, id, &v);
      std::wstring out = v.vt == VT_BSTR && v.bstrVal ? v.bstrVal : L"";
      VariantClear(&v);
      return out;
    };
    auto number = [&](Node node, int id) {
      VARIANT v;
      VariantInit(&v);
      property(node, id, &v);
      const long out = v.vt == VT_I4 ? v.lVal : v.vt == VT_BOOL ? (v.boolVal ? 1 : 0) : -1;
      VariantClear(&v);
      return out;
    };
    Node window = nullptr;
    ASSERT_EQ(S_OK, from_handle(g_window, &window));
    std::vector<std::wstring> names, ids;
    std::vector<std::vector<int>> runtime_ids;
    std::vector<Said> heard;  // role as the UI Automation control type, state as MSAA's bits
    int focused = -1;
    for (Node node = step(window, 3 /* first child */); node;) {
      names.push_back(text(node, uia::kNameProperty));
      ids.push_back(text(node, uia::kAutomationIdProperty));
      Said s;
      s.role = number(node, uia::kControlTypeProperty);
      if (number(node, uia::kIsKeyboardFocusableProperty) == 1) s.state |= STATE_SYSTEM_FOCUSABLE;
      if (number(node, uia::kIsEnabledProperty) == 0) s.state |= STATE_SYSTEM_UNAVAILABLE;
      heard.push_back(s);
      if (number(node, uia::kHasKeyboardFocusProperty) == 1) focused = static_cast<int>(names.size()) - 1;
      SAFEARRAY* rid = nullptr;
      std::vector<int> id;
      if (runtime_id(node, &rid) == S_OK && rid) {
        int* values = nullptr;
        if (SafeArrayAccessData(rid, reinterpret_cast<void**>(&values)) == S_OK) {
          id.assign(values, values + rid->rgsabound[0].cElements);
          SafeArrayUnaccessData(rid);
        }
        SafeArrayDestroy(rid);
      }
      runtime_ids.push_back(id);
      Node next = step(node, 1 /* next sibling */);
      release(node);
      node = next;
    }

    UiaFindParams children = {1, FALSE, TRUE, &all};
    SAFEARRAY *data = nullptr, *offsets = nullptr, *structures = nullptr;
    long found = -1;
    if (find(window, &children, &request, &data, &offsets, &structures) == S_OK && offsets)
      found = static_cast<long>(offsets->rgsabound[0].cElements);
    for (SAFEARRAY* array : {data, offsets, structures})
      if (array) SafeArrayDestroy(array);
    release(window);

    const std::vector<Said> items = Items();
    std::vector<std::wstring> msaa;
    int msaa_focused = -1;
    for (size_t i = 0; i < items.size(); ++i) {
      const Said& s = items[i];
      if (s.state & STATE_SYSTEM_FOCUSED) msaa_focused = static_cast<int>(msaa.size());
      msaa.push_back(s.name);
      if (i >= heard.size()) continue;
      EXPECT_EQ(UiaTypeOf(s.role), heard[i].role) << text::WideToUtf8(s.name);
      EXPECT_EQ(s.state & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE), heard[i].state)
          << text::WideToUtf8(s.name);
      EXPECT_FALSE(ids[i].empty()) << text::WideToUtf8(s.name);
      EXPECT_FALSE(runtime_ids[i].empty()) << text::WideToUtf8(s.name);
      for (size_t j = 0; j < i; ++j) {
        EXPECT_NE(ids[j], ids[i]) << text::WideToUtf8(s.name);
        EXPECT_NE(runtime_ids[j], runtime_ids[i]) << text::WideToUtf8(s.name);
      }
    }
    EXPECT_EQ(msaa, names);
    EXPECT_EQ(msaa_focused, focused);
    EXPECT_EQ(static_cast<long>(msaa.size()), found);
  }

  // The UI Automation control type a client expects for an MSAA role.
  static long UiaTypeOf(long role) {
    static const long kTypes[][2] = {
        {ROLE_SYSTEM_PUSHBUTTON, uia::kButtonControl},   {ROLE_SYSTEM_LINK, uia::kHyperlinkControl},
        {ROLE_SYSTEM_CHECKBUTTON, uia::kCheckBoxControl}, {ROLE_SYSTEM_COMBOBOX, uia::kComboBoxControl},
        {ROLE_SYSTEM_SLIDER, uia::kSliderControl},        {ROLE_SYSTEM_LISTITEM, uia::kListItemControl},
        {ROLE_SYSTEM_RADIOBUTTON, uia::kRadioButtonControl}, {ROLE_SYSTEM_STATICTEXT, uia::kTextControl},
        {ROLE_SYSTEM_ALERT, uia::kTextControl},           {ROLE_SYSTEM_PROGRESSBAR, uia::kProgressBarControl}};
    for (const auto& type : kTypes)
      if (type[0] == role) return type[1];
    return uia::kGroupControl;
  }

  launchertest::Scene scene_;
  std::string dump_;
  testsupport::StartedChild child_;
  HWINEVENTHOOK hook_ = nullptr;
  IAccessible* root_ = nullptr;
};

TEST_F(ScreenReaderTest, TheFirstRunHeardWithTheKeyboardAlone) {
  SteerBuild();
  ASSERT_TRUE(Start());

  // The chooser: the search lists the dump in Downloads, and Tab reaches its row (where the
  // focus starts unless the pointer was over the window when it opened).
  EXPECT_TRUE(Has(L"First run · choose your disc"));
  EXPECT_TRUE(Has(L"Let's find your disc.", ROLE_SYSTEM_STATICTEXT));
  const std::wstring dump_row = L"Wii disc, USA (RKVE01), READY";
  ASSERT_TRUE(Until([&] { return Has(dump_row, ROLE_SYSTEM_RADIOBUTTON); })) << Tree();
  Said row = HeardWhen(dump_row, 5000);
  for (int tabs = 0; row.name != dump_row && tabs < 6; ++tabs) row = Press(VK_TAB);
  ASSERT_EQ(dump_row, row.name) << Heard();
  EXPECT_EQ(ROLE_SYSTEM_RADIOBUTTON, row.role);
  EXPECT_TRUE(row.state & STATE_SYSTEM_SELECTED);
  EXPECT_TRUE(Has(L"CONTINUE", ROLE_SYSTEM_PUSHBUTTON));
  ExpectNamedWithOneFocus("chooser");

  // Enter on it: the progress screen, the focus on CANCEL, the current step with its state
  // and detail while the build is held in it.
  EXPECT_EQ(L"CANCEL", Press(VK_RETURN).name) << Heard() << Tree();
  std::wstring step;
  ASSERT_TRUE(Until([&] {
    for (const Said& s : Items())
      if (s.name == L"Build Kestrane" && s.role == ROLE_SYSTEM_LISTITEM) step = s.value;
    return step == L"in progress, compiling main";
  })) << text::WideToUtf8(step) << Tree();
  EXPECT_TRUE(Has(L"First run · step 6 of 8"));
  ExpectNamedWithOneFocus("progress");

  // The build ends, and the next thing heard is PLAY, where the focus goes (not the shortcut
  // box that stands where CANCEL was for the frame in between).
  const size_t heard = g_focus.size();
  ASSERT_TRUE(testsupport::WriteFile(Release(), ""));
  const Said play = HeardAfter(heard, 300000);
  EXPECT_EQ(L"PLAY", play.name) << Heard();
  EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, play.role);
  EXPECT_TRUE(Has(L"All set"));
  EXPECT_TRUE(Has(L"Desktop shortcut", ROLE_SYSTEM_CHECKBUTTON));

  // Up moves back to HOME; Enter there: Home, its hero, its rows, PLAY with its label.
  EXPECT_EQ(L"HOME", Press(VK_UP).name);
  EXPECT_EQ(L"PLAY", Press(VK_RETURN).name);
  EXPECT_TRUE(Has(L"Ready to race"));
  EXPECT_TRUE(Has(L"Welcome back, driver.", ROLE_SYSTEM_STATICTEXT));
  EXPECT_TRUE(Has(L"Your game: Wii disc, USA (RKVE01), Verified"));
  EXPECT_TRUE(Has(L"Your build: Kestrane 0.1.0"));
  ExpectNamedWithOneFocus("home");
  ExpectUiaAgrees();
  ExpectTabWalksTheStops("home");

  // A screen reader's mouse: PLAY's location on the screen, and what lies at its centre.
  const long play_child = ChildNamed(L"PLAY");
  long x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(S_OK, root_->accLocation(&x, &y, &w, &h, Child(play_child)));
  RECT client = {};
  GetClientRect(g_window, &client);
  MapWindowPoints(g_window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_TRUE(w > 0 && h > 0 && x >= client.left && y >= client.top && x + w <= client.right &&
              y + h <= client.bottom);
  VARIANT hit;
  ASSERT_EQ(S_OK, root_->accHitTest(x + w / 2, y + h / 2, &hit));
  EXPECT_EQ(L"PLAY", Read(root_, hit).name);

  // accSelect takes the focus to About, as a screen reader's "move focus here" does; Up
  // goes on from there through the links to Settings; Enter opens Display on its first
  // control, a new list of items.
  EXPECT_EQ(S_OK, root_->accSelect(SELFLAG_TAKEFOCUS, Child(ChildNamed(L"About"))));
  EXPECT_EQ(L"About", HeardAfter(g_focus.size()).name);
  Press(VK_UP);
  Press(VK_UP);
  EXPECT_EQ(L"Settings", Press(VK_UP).name);
  const size_t before_settings = g_changes.size();
  const Said mode = Press(VK_RETURN);
  EXPECT_EQ(L"Window mode", mode.name);
  EXPECT_EQ(ROLE_SYSTEM_COMBOBOX, mode.role);
  EXPECT_EQ(L"Borderless", mode.value);  // the default
  EXPECT_TRUE(HeardChange(before_settings, EVENT_OBJECT_REORDER, CHILDID_SELF));
  ExpectNamedWithOneFocus("display");

  // V-sync is three rows down; its default action flips it, as Enter does.
  Press(VK_TAB);
  Press(VK_TAB);
  const Said vsync = Press(VK_TAB);
  ASSERT_EQ(L"V-sync", vsync.name);
  EXPECT_EQ(ROLE_SYSTEM_CHECKBUTTON, vsync.role);
  VARIANT focus;
  ASSERT_EQ(S_OK, root_->get_accFocus(&focus));
  size_t changes = g_changes.size();
  EXPECT_EQ(S_OK, root_->accDoDefaultAction(focus));
  EXPECT_TRUE(Until([&] {
    return HeardChange(changes, EVENT_OBJECT_STATECHANGE, focus.lVal) &&
           (Read(root_, focus).state & STATE_SYSTEM_CHECKED) != (vsync.state & STATE_SYSTEM_CHECKED);
  }));

  // Two pages on, Audio opens on the volume slider; Left takes it down a step.
  Press(VK_NEXT);
  const Said volume = Press(VK_NEXT);
  ASSERT_EQ(L"Master volume", volume.name);
  EXPECT_EQ(ROLE_SYSTEM_SLIDER, volume.role);
  EXPECT_EQ(L"80%", volume.value);
  ASSERT_EQ(S_OK, root_->get_accFocus(&focus));
  changes = g_changes.size();
  PostMessageW(g_window, WM_KEYDOWN, VK_LEFT, 1);
  EXPECT_TRUE(Until([&] {
    return HeardChange(changes, EVENT_OBJECT_VALUECHANGE, focus.lVal) && Read(root_, focus).value == L"75%";
  }));
  ExpectNamedWithOneFocus("audio");

  // The window closes; the object this client still holds answers an error, not a crash.
  PostMessageW(g_window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child_.process, 30000));
  long count = 0;
  EXPECT_TRUE(FAILED(root_->get_accChildCount(&count)));
}

}  // namespace
