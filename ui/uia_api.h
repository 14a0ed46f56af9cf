// The part of UI Automation's provider side the window answers with, declared here because
// the MinGW-w64 headers lack its patterns and there is no import library: the functions
// come from uiautomationcore.dll at run time, so the program starts where it is missing.
// Interfaces keep the system's vtable order and identifiers; names live in ui::uia so they
// never meet a system header's.
#pragma once

#include <windows.h>
#include <oleauto.h>

// COM interfaces have no virtual destructor by design: an object releases itself.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

namespace ui::uia {

enum : int { kServerSideProvider = 0x2 };  // ProviderOptions
enum : int { kNavParent = 0, kNavNextSibling = 1, kNavPreviousSibling = 2, kNavFirstChild = 3, kNavLastChild = 4 };
enum : int { kToggleOff = 0, kToggleOn = 1 };                              // ToggleState
enum : int { kCollapsed = 0, kExpanded = 1, kLeafNode = 3 };               // ExpandCollapseState
enum : int { kChildrenInvalidated = 2 };                                   // StructureChangeType
enum : int { kNotificationOther = 4 };                                     // NotificationKind
enum : int { kImportantMostRecent = 1 };                                   // NotificationProcessing
enum : int { kLiveOff = 0, kLivePolite = 1, kLiveAssertive = 2 };          // LiveSetting
constexpr int kAppendRuntimeId = 3;
constexpr LONG kRootObjectId = -25;

struct UiaRect {
  double left, top, width, height;
};

struct IRawElementProviderFragmentRoot;

struct IRawElementProviderSimple : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_ProviderOptions(int* options) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPatternProvider(int pattern, IUnknown** out) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPropertyValue(int property, VARIANT* out) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) = 0;
};

struct IRawElementProviderFragment : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Navigate(int direction, IRawElementProviderFragment** out) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) = 0;
};

struct IRawElementProviderFragmentRoot : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y, IRawElementProviderFragment** out) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** out) = 0;
};

struct IInvokeProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};

struct IToggleProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Toggle() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ToggleState(int* state) = 0;
};

struct ISelectionItemProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* selected) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** out) = 0;
};

struct IRangeValueProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetValue(double value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Value(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* read_only) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Maximum(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Minimum(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LargeChange(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SmallChange(double* value) = 0;
};

struct IValueProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* read_only) = 0;
};

struct IExpandCollapseProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Expand() = 0;
  virtual HRESULT STDMETHODCALLTYPE Collapse() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(int* state) = 0;
};

constexpr GUID kIidSimple = {0xd6dd68d1, 0x86fd, 0x4332, {0x86, 0x66, 0x9a, 0xbe, 0xde, 0xa2, 0xd2, 0x4c}};
constexpr GUID kIidFragment = {0xf7063da8, 0x8359, 0x439c, {0x92, 0x97, 0xbb, 0xc5, 0x29, 0x9a, 0x7d, 0x87}};
constexpr GUID kIidFragmentRoot = {0x620ce2a5, 0xab8f, 0x40a9, {0x86, 0xcb, 0xde, 0x3c, 0x75, 0x59, 0x9b, 0x58}};
constexpr GUID kIidInvoke = {0x54fcb24b, 0xe18e, 0x47a2, {0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75, 0x99, 0xa2}};
constexpr GUID kIidToggle = {0x56d00bd0, 0xc4f4, 0x433c, {0xa8, 0x36, 0x1a, 0x52, 0xa5, 0x7e, 0x08, 0x92}};
constexpr GUID kIidSelectionItem = {0x2acad808, 0xb2d4, 0x452d, {0xa4, 0x07, 0x91, 0xff, 0x1a, 0xd1, 0x67, 0xb2}};
constexpr GUID kIidRangeValue = {0x36dc7aef, 0x33e6, 0x4691, {0xaf, 0xe1, 0x2b, 0xe7, 0x27, 0x4b, 0x3d, 0x33}};
constexpr GUID kIidValue = {0xc7935180, 0x6fb3, 0x4201, {0xb1, 0x74, 0x7d, 0xf7, 0x3a, 0xdb, 0xf6, 0x4a}};
constexpr GUID kIidExpandCollapse = {0xd847d3a5, 0xcab0, 0x4a98, {0x8c, 0x32, 0xec, 0xb4, 0x5c, 0x59, 0xad, 0x24}};

// Pattern ids.
enum : int {
  kInvokePattern = 10000, kValuePattern = 10002, kRangeValuePattern = 10003, kExpandCollapsePattern = 10005,
  kSelectionItemPattern = 10010, kTogglePattern = 10015,
};
// Property ids.
enum : int {
  kControlTypeProperty = 30003, kNameProperty = 30005, kHasKeyboardFocusProperty = 30008,
  kIsKeyboardFocusableProperty = 30009, kIsEnabledProperty = 30010, kAutomationIdProperty = 30011,
  kHelpTextProperty = 30013, kIsControlElementProperty = 30016, kIsContentElementProperty = 30017,
  kIsOffscreenProperty = 30022, kItemStatusProperty = 30026, kValueValueProperty = 30045,
  kRangeValueValueProperty = 30047, kExpandCollapseStateProperty = 30070, kIsSelectedProperty = 30079,
  kToggleStateProperty = 30086, kLiveSettingProperty = 30135, kHeadingLevelProperty = 30173,
};
// Control type ids.
enum : int {
  kButtonControl = 50000, kCheckBoxControl = 50002, kComboBoxControl = 50003, kHyperlinkControl = 50005,
  kListItemControl = 50007, kProgressBarControl = 50012, kRadioButtonControl = 50013, kSliderControl = 50015,
  kTextControl = 50020, kGroupControl = 50026,
};
constexpr int kHeadingLevel1 = 80051;
// Event ids.
enum : int {
  kFocusChangedEvent = 20005, kElementSelectedEvent = 20012, kLiveRegionChangedEvent = 20024,
};

// The functions taken from uiautomationcore.dll.
using ReturnRawElementProviderFn = LRESULT(WINAPI*)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
using HostProviderFromHwndFn = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);
using RaiseAutomationEventFn = HRESULT(WINAPI*)(IRawElementProviderSimple*, int);
using RaisePropertyChangedEventFn = HRESULT(WINAPI*)(IRawElementProviderSimple*, int, VARIANT, VARIANT);
using RaiseStructureChangedEventFn = HRESULT(WINAPI*)(IRawElementProviderSimple*, int, int*, int);
using RaiseNotificationEventFn = HRESULT(WINAPI*)(IRawElementProviderSimple*, int, int, BSTR, BSTR);
using ClientsAreListeningFn = BOOL(WINAPI*)();
using DisconnectProviderFn = HRESULT(WINAPI*)(IRawElementProviderSimple*);

}  // namespace ui::uia

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
