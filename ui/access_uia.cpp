// UI Automation over the published snapshot: a fragment root for the window (the system's
// own provider for the window answers the window's properties) and one fragment per item,
// with the patterns its role calls for. A fragment names its item by uid and looks it up in
// the current snapshot on every call, so one a client keeps answers for that item while it
// is shown and "not available" once it has gone or the window has.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/scoped_lock.h"
#include "ui/access_tree.h"
#include "ui/uia_api.h"

// COM objects have no virtual destructor by design: Release deletes the object itself.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

namespace ui::access {
namespace {

constexpr HRESULT kNotAvailable = static_cast<HRESULT>(0x80040201);  // UIA_E_ELEMENTNOTAVAILABLE
constexpr HRESULT kNotEnabled = static_cast<HRESULT>(0x80040200);    // UIA_E_ELEMENTNOTENABLED
constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509);  // UIA_E_INVALIDOPERATION

struct Functions {
  uia::ReturnRawElementProviderFn return_provider = nullptr;
  uia::HostProviderFromHwndFn host_provider = nullptr;
  uia::RaiseAutomationEventFn raise_event = nullptr;
  uia::RaisePropertyChangedEventFn raise_property = nullptr;
  uia::RaiseStructureChangedEventFn raise_structure = nullptr;
  uia::RaiseNotificationEventFn raise_notification = nullptr;  // Windows 10 1709 and later
  uia::ClientsAreListeningFn clients_listening = nullptr;
};

template <typename Fn>
Fn Take(HMODULE dll, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

const Functions& Api() {
  static const Functions functions = [] {
    Functions f;
    // Only the system's copy: a uiautomationcore.dll beside the program is never loaded.
    HMODULE dll = LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!dll) return f;
    f.return_provider = Take<uia::ReturnRawElementProviderFn>(dll, "UiaReturnRawElementProvider");
    f.host_provider = Take<uia::HostProviderFromHwndFn>(dll, "UiaHostProviderFromHwnd");
    f.raise_event = Take<uia::RaiseAutomationEventFn>(dll, "UiaRaiseAutomationEvent");
    f.raise_property = Take<uia::RaisePropertyChangedEventFn>(dll, "UiaRaiseAutomationPropertyChangedEvent");
    f.raise_structure = Take<uia::RaiseStructureChangedEventFn>(dll, "UiaRaiseStructureChangedEvent");
    f.raise_notification = Take<uia::RaiseNotificationEventFn>(dll, "UiaRaiseNotificationEvent");
    f.clients_listening = Take<uia::ClientsAreListeningFn>(dll, "UiaClientsAreListening");
    return f;
  }();
  return functions;
}

int ControlTypeOf(AccessRole role) {
  switch (role) {
    case AccessRole::kNone: return uia::kGroupControl;
    case AccessRole::kButton: return uia::kButtonControl;
    case AccessRole::kLink: return uia::kHyperlinkControl;
    case AccessRole::kToggle:
    case AccessRole::kCheckbox: return uia::kCheckBoxControl;
    case AccessRole::kSegmented:
    case AccessRole::kSelector: return uia::kComboBoxControl;
    case AccessRole::kSlider: return uia::kSliderControl;
    case AccessRole::kListRow:
    case AccessRole::kProgressStep: return uia::kListItemControl;
    case AccessRole::kRadioRow: return uia::kRadioButtonControl;
    case AccessRole::kText:
    case AccessRole::kHeading:
    case AccessRole::kAlert: return uia::kTextControl;
    case AccessRole::kProgressBar: return uia::kProgressBarControl;
  }
  return uia::kGroupControl;
}

bool Supports(const AccessItem& item, int pattern) {
  const AccessRole r = item.role;
  switch (pattern) {
    case uia::kInvokePattern: return r == AccessRole::kButton || r == AccessRole::kLink;
    case uia::kTogglePattern: return r == AccessRole::kToggle || r == AccessRole::kCheckbox;
    case uia::kSelectionItemPattern: return r == AccessRole::kRadioRow;
    case uia::kRangeValuePattern: return r == AccessRole::kSlider || r == AccessRole::kProgressBar;
    case uia::kValuePattern:
      return r == AccessRole::kSegmented || r == AccessRole::kSelector || r == AccessRole::kProgressStep ||
             (r == AccessRole::kListRow && !item.value.empty());
    case uia::kExpandCollapsePattern: return (item.state & (kAccessExpanded | kAccessCollapsed)) != 0;
    default: return false;
  }
}

const GUID& PatternIid(int pattern) {
  switch (pattern) {
    case uia::kInvokePattern: return uia::kIidInvoke;
    case uia::kTogglePattern: return uia::kIidToggle;
    case uia::kSelectionItemPattern: return uia::kIidSelectionItem;
    case uia::kRangeValuePattern: return uia::kIidRangeValue;
    case uia::kValuePattern: return uia::kIidValue;
    default: return uia::kIidExpandCollapse;
  }
}

bool Writable(const AccessItem& item) {
  return item.role == AccessRole::kSegmented || item.role == AccessRole::kSelector || item.role == AccessRole::kSlider;
}

void SetBool(VARIANT* out, bool value) {
  out->vt = VT_BOOL;
  out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetInt(VARIANT* out, int value) {
  out->vt = VT_I4;
  out->lVal = value;
}

void SetText(VARIANT* out, const std::wstring& text) {
  out->vt = VT_BSTR;
  out->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

SAFEARRAY* IntArray(const int* values, int count) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(count));
  if (!array) return nullptr;
  for (LONG i = 0; i < count; ++i) SafeArrayPutElement(array, &i, const_cast<int*>(&values[i]));
  return array;
}

uia::UiaRect RectOf(HWND hwnd, const AccessItem& item) {
  const RECT r = ScreenRect(hwnd, item);
  return {static_cast<double>(r.left), static_cast<double>(r.top), static_cast<double>(r.right - r.left),
          static_cast<double>(r.bottom - r.top)};
}

class Root;
uia::IRawElementProviderFragment* NewElement(const TreeRef& tree, uint32_t uid);
Root* NewRoot(const TreeRef& tree);

// [SECTION] One item

class Element final : public ComObject<uia::IRawElementProviderSimple, uia::IRawElementProviderFragment,
                                        uia::IInvokeProvider, uia::IToggleProvider, uia::ISelectionItemProvider,
                                        uia::IRangeValueProvider, uia::IValueProvider, uia::IExpandCollapseProvider> {
 public:
  Element(TreeRef tree, uint32_t uid) : tree_(std::move(tree)), uid_(uid) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    void* as = nullptr;
    if (iid == IID_IUnknown || iid == uia::kIidSimple) as = static_cast<uia::IRawElementProviderSimple*>(this);
    if (iid == uia::kIidFragment) as = static_cast<uia::IRawElementProviderFragment*>(this);
    if (iid == uia::kIidInvoke) as = static_cast<uia::IInvokeProvider*>(this);
    if (iid == uia::kIidToggle) as = static_cast<uia::IToggleProvider*>(this);
    if (iid == uia::kIidSelectionItem) as = static_cast<uia::ISelectionItemProvider*>(this);
    if (iid == uia::kIidRangeValue) as = static_cast<uia::IRangeValueProvider*>(this);
    if (iid == uia::kIidValue) as = static_cast<uia::IValueProvider*>(this);
    if (iid == uia::kIidExpandCollapse) as = static_cast<uia::IExpandCollapseProvider*>(this);
    return Give(as, out);
  }

  // IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(int* options) override {
    if (!options) return E_POINTER;
    *options = uia::kServerSideProvider;  // never UseComThreading: it deadlocks the window under Wine
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPatternProvider(int pattern, IUnknown** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    bool supported = false;
    const HRESULT hr = With([&](const AccessItem& item, int) {
      supported = Supports(item, pattern);
      return S_OK;
    });
    if (FAILED(hr) || !supported) return hr;
    return QueryInterface(PatternIid(pattern), reinterpret_cast<void**>(out));
  }
  HRESULT STDMETHODCALLTYPE GetPropertyValue(int property, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    return With([&](const AccessItem& item, int) {
      switch (property) {
        case uia::kNameProperty: SetText(out, item.name); break;
        case uia::kControlTypeProperty: SetInt(out, ControlTypeOf(item.role)); break;
        case uia::kAutomationIdProperty: SetText(out, item.key); break;
        case uia::kHasKeyboardFocusProperty: SetBool(out, (item.state & kAccessFocused) != 0); break;
        case uia::kIsKeyboardFocusableProperty: SetBool(out, item.focus_id >= 0); break;
        case uia::kIsEnabledProperty: SetBool(out, (item.state & kAccessDisabled) == 0); break;
        case uia::kIsOffscreenProperty: SetBool(out, (item.state & kAccessOffscreen) != 0); break;
        case uia::kIsControlElementProperty:
        case uia::kIsContentElementProperty: SetBool(out, true); break;
        case uia::kHelpTextProperty:
          if (!item.description.empty()) SetText(out, item.description);
          break;
        case uia::kItemStatusProperty:
          if (item.role == AccessRole::kProgressStep) SetText(out, item.value);
          break;
        case uia::kLiveSettingProperty:
          if (item.role == AccessRole::kAlert) SetInt(out, uia::kLiveAssertive);
          else if (item.state & kAccessLive) SetInt(out, uia::kLivePolite);
          break;
        case uia::kHeadingLevelProperty:
          if (item.role == AccessRole::kHeading) SetInt(out, uia::kHeadingLevel1 + std::clamp(item.heading_level, 1, 9) - 1);
          break;
        default: break;
      }
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(uia::IRawElementProviderSimple** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_OK;
  }

  // IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(int direction, uia::IRawElementProviderFragment** out) override;
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return With([&](const AccessItem& item, int) {
      const int id[2] = {uia::kAppendRuntimeId, static_cast<int>(item.uid)};
      *out = IntArray(id, 2);
      return *out ? S_OK : E_OUTOFMEMORY;
    });
  }
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(uia::UiaRect* out) override {
    if (!out) return E_POINTER;
    *out = {};
    return With([&](const AccessItem& item, int) {
      if (!(item.state & kAccessOffscreen)) *out = RectOf(tree_->hwnd, item);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetFocus() override {
    return With([&](const AccessItem& item, int) -> HRESULT {
      if (item.focus_id < 0) return kInvalidOperation;
      return Post(item, kAccessFocus);
    });
  }
  HRESULT STDMETHODCALLTYPE get_FragmentRoot(uia::IRawElementProviderFragmentRoot** out) override;

  // IInvokeProvider
  HRESULT STDMETHODCALLTYPE Invoke() override { return Activate(); }

  // IToggleProvider
  HRESULT STDMETHODCALLTYPE Toggle() override { return Activate(); }
  HRESULT STDMETHODCALLTYPE get_ToggleState(int* state) override {
    if (!state) return E_POINTER;
    return With([&](const AccessItem& item, int) {
      *state = (item.state & kAccessChecked) ? uia::kToggleOn : uia::kToggleOff;
      return S_OK;
    });
  }

  // ISelectionItemProvider: a row is chosen by moving the focus onto it, as the arrows do.
  HRESULT STDMETHODCALLTYPE Select() override {
    return With([&](const AccessItem& item, int) { return Post(item, kAccessFocus); });
  }
  HRESULT STDMETHODCALLTYPE AddToSelection() override { return Select(); }
  HRESULT STDMETHODCALLTYPE RemoveFromSelection() override { return kInvalidOperation; }
  HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* selected) override {
    if (!selected) return E_POINTER;
    return With([&](const AccessItem& item, int) {
      *selected = (item.state & kAccessSelected) ? TRUE : FALSE;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_SelectionContainer(uia::IRawElementProviderSimple** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_OK;
  }

  // IRangeValueProvider
  HRESULT STDMETHODCALLTYPE SetValue(double value) override {
    return With([&](const AccessItem& item, int) -> HRESULT {
      if (!Writable(item)) return kInvalidOperation;
      if (!(value >= item.minimum && value <= item.maximum)) return E_INVALIDARG;
      return Post(item, kAccessSetNumber, static_cast<int64_t>(std::llround(value)));
    });
  }
  HRESULT STDMETHODCALLTYPE get_Value(double* value) override { return Number(value, &AccessItem::number); }
  HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* read_only) override {
    if (!read_only) return E_POINTER;
    return With([&](const AccessItem& item, int) {
      *read_only = Writable(item) ? FALSE : TRUE;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_Maximum(double* value) override { return Number(value, &AccessItem::maximum); }
  HRESULT STDMETHODCALLTYPE get_Minimum(double* value) override { return Number(value, &AccessItem::minimum); }
  HRESULT STDMETHODCALLTYPE get_LargeChange(double* value) override { return Number(value, &AccessItem::step); }
  HRESULT STDMETHODCALLTYPE get_SmallChange(double* value) override { return Number(value, &AccessItem::step); }

  // IValueProvider (its get_IsReadOnly is the one above: both ask the same question)
  HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) override {
    return With([&](const AccessItem& item, int) -> HRESULT {
      if (!Writable(item) || item.role == AccessRole::kSlider) return kInvalidOperation;
      const int option = OptionIndex(item, value);
      if (option < 0) return E_INVALIDARG;
      return Post(item, kAccessSetOption, option);
    });
  }
  HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) override {
    if (!value) return E_POINTER;
    *value = nullptr;
    return With([&](const AccessItem& item, int) {
      *value = SysAllocStringLen(item.value.data(), static_cast<UINT>(item.value.size()));
      return S_OK;
    });
  }

  // IExpandCollapseProvider: the link that shows or hides a part, pressed when it would change.
  HRESULT STDMETHODCALLTYPE Expand() override { return ExpandTo(true); }
  HRESULT STDMETHODCALLTYPE Collapse() override { return ExpandTo(false); }
  HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(int* state) override {
    if (!state) return E_POINTER;
    return With([&](const AccessItem& item, int) {
      *state = (item.state & kAccessExpanded) ? uia::kExpanded
               : (item.state & kAccessCollapsed) ? uia::kCollapsed
                                                 : uia::kLeafNode;
      return S_OK;
    });
  }

 private:
  // Runs fn under the lock with the item and its index; "not available" once it has gone.
  template <typename Fn>
  HRESULT With(Fn fn) {
    ScopedLock hold(&tree_->lock);
    if (!tree_->alive) return kNotAvailable;
    int index = -1;
    const AccessItem* item = FindItem(tree_->snapshot, uid_, &index);
    if (!item) return kNotAvailable;
    return fn(*item, index);
  }
  HRESULT Number(double* value, double AccessItem::*field) {
    if (!value) return E_POINTER;
    return With([&](const AccessItem& item, int) {
      *value = item.*field;
      return S_OK;
    });
  }
  HRESULT Post(const AccessItem& item, AccessAction action, int64_t argument = 0) {
    return PostAction(*tree_, item.uid, action, argument) ? S_OK : kNotAvailable;
  }
  HRESULT Activate() {
    return With([&](const AccessItem& item, int) -> HRESULT {
      if (item.state & kAccessDisabled) return kNotEnabled;
      if (item.action.empty()) return kInvalidOperation;
      return Post(item, kAccessActivate);
    });
  }
  HRESULT ExpandTo(bool expanded) {
    return With([&](const AccessItem& item, int) -> HRESULT {
      if (!(item.state & (kAccessExpanded | kAccessCollapsed))) return kInvalidOperation;
      if (((item.state & kAccessExpanded) != 0) == expanded) return S_OK;
      return Post(item, kAccessActivate);
    });
  }

  TreeRef tree_;
  const uint32_t uid_;
};

// [SECTION] The window's root

class Root final : public ComObject<uia::IRawElementProviderSimple, uia::IRawElementProviderFragment,
                                     uia::IRawElementProviderFragmentRoot> {
 public:
  explicit Root(TreeRef tree) : tree_(std::move(tree)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    void* as = nullptr;
    if (iid == IID_IUnknown || iid == uia::kIidSimple) as = static_cast<uia::IRawElementProviderSimple*>(this);
    if (iid == uia::kIidFragment) as = static_cast<uia::IRawElementProviderFragment*>(this);
    if (iid == uia::kIidFragmentRoot) as = static_cast<uia::IRawElementProviderFragmentRoot*>(this);
    return Give(as, out);
  }

  // IRawElementProviderSimple: the window's own properties come from its host provider.
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(int* options) override {
    if (!options) return E_POINTER;
    *options = uia::kServerSideProvider;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPatternProvider(int, IUnknown** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Alive() ? S_OK : kNotAvailable;
  }
  HRESULT STDMETHODCALLTYPE GetPropertyValue(int, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    return Alive() ? S_OK : kNotAvailable;
  }
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(uia::IRawElementProviderSimple** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Alive()) return kNotAvailable;
    return Api().host_provider ? Api().host_provider(tree_->hwnd, out) : S_OK;
  }

  // IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(int direction, uia::IRawElementProviderFragment** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    ScopedLock hold(&tree_->lock);
    if (!tree_->alive) return kNotAvailable;
    const std::vector<AccessItem>& items = tree_->snapshot.items;
    if (items.empty()) return S_OK;
    if (direction == uia::kNavFirstChild) *out = NewElement(tree_, items.front().uid);
    if (direction == uia::kNavLastChild) *out = NewElement(tree_, items.back().uid);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;  // the host provider's
    return Alive() ? S_OK : kNotAvailable;
  }
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(uia::UiaRect* out) override {
    if (!out) return E_POINTER;
    *out = {};  // the host provider's
    return Alive() ? S_OK : kNotAvailable;
  }
  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetFocus() override { return Alive() ? S_OK : kNotAvailable; }
  HRESULT STDMETHODCALLTYPE get_FragmentRoot(uia::IRawElementProviderFragmentRoot** out) override {
    if (!out) return E_POINTER;
    *out = static_cast<uia::IRawElementProviderFragmentRoot*>(this);
    AddRef();
    return S_OK;
  }

  // IRawElementProviderFragmentRoot
  HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y,
                                                     uia::IRawElementProviderFragment** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    ScopedLock hold(&tree_->lock);
    if (!tree_->alive) return kNotAvailable;
    const POINT p = {static_cast<LONG>(std::floor(x)), static_cast<LONG>(std::floor(y))};
    const int hit = HitTest(tree_->snapshot, tree_->hwnd, p);
    if (hit >= 0) {
      *out = NewElement(tree_, tree_->snapshot.items[static_cast<size_t>(hit)].uid);
    } else {
      *out = static_cast<uia::IRawElementProviderFragment*>(this);  // the window, between its items
      AddRef();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetFocus(uia::IRawElementProviderFragment** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    ScopedLock hold(&tree_->lock);
    if (!tree_->alive) return kNotAvailable;
    const AccessSnapshot& s = tree_->snapshot;
    if (s.focused >= 0) *out = NewElement(tree_, s.items[static_cast<size_t>(s.focused)].uid);
    return S_OK;
  }

 private:
  bool Alive() {
    ScopedLock hold(&tree_->lock);
    return tree_->alive;
  }

  TreeRef tree_;
};

uia::IRawElementProviderFragment* NewElement(const TreeRef& tree, uint32_t uid) {
  return static_cast<uia::IRawElementProviderFragment*>(new Element(tree, uid));
}

Root* NewRoot(const TreeRef& tree) { return new Root(tree); }

HRESULT STDMETHODCALLTYPE Element::Navigate(int direction, uia::IRawElementProviderFragment** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return With([&](const AccessItem&, int index) {
    const std::vector<AccessItem>& items = tree_->snapshot.items;
    if (direction == uia::kNavParent) {
      *out = static_cast<uia::IRawElementProviderFragment*>(NewRoot(tree_));
    } else if (direction == uia::kNavNextSibling && static_cast<size_t>(index) + 1 < items.size()) {
      *out = NewElement(tree_, items[static_cast<size_t>(index) + 1].uid);
    } else if (direction == uia::kNavPreviousSibling && index > 0) {
      *out = NewElement(tree_, items[static_cast<size_t>(index) - 1].uid);
    }
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE Element::get_FragmentRoot(uia::IRawElementProviderFragmentRoot** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ScopedLock hold(&tree_->lock);
  if (!tree_->alive) return kNotAvailable;
  *out = static_cast<uia::IRawElementProviderFragmentRoot*>(NewRoot(tree_));
  return S_OK;
}

// [SECTION] Events

// A fragment for an event: raised, then released.
struct Raised {
  uia::IRawElementProviderSimple* simple;
  Raised(const TreeRef& tree, uint32_t uid) : simple(static_cast<uia::IRawElementProviderSimple*>(new Element(tree, uid))) {}
  ~Raised() { simple->Release(); }
  Raised(const Raised&) = delete;
  Raised& operator=(const Raised&) = delete;
};

VARIANT TextVariant(const std::wstring& text) {
  VARIANT v;
  VariantInit(&v);
  SetText(&v, text);
  return v;
}

void RaiseProperty(uia::IRawElementProviderSimple* p, int property, VARIANT before, VARIANT after) {
  Api().raise_property(p, property, before, after);
  VariantClear(&before);
  VariantClear(&after);
}

VARIANT BoolVariant(bool value) {
  VARIANT v;
  VariantInit(&v);
  SetBool(&v, value);
  return v;
}

VARIANT IntVariant(int value) {
  VARIANT v;
  VariantInit(&v);
  SetInt(&v, value);
  return v;
}

VARIANT NumberVariant(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}

void RaiseStateChanges(const TreeRef& tree, const AccessItem& old, const AccessItem& item) {
  const Raised e(tree, item.uid);
  const uint32_t changed = old.state ^ item.state;
  if ((changed & kAccessChecked) && Supports(item, uia::kTogglePattern)) {
    const int was = (old.state & kAccessChecked) ? uia::kToggleOn : uia::kToggleOff;
    const int now = (item.state & kAccessChecked) ? uia::kToggleOn : uia::kToggleOff;
    RaiseProperty(e.simple, uia::kToggleStateProperty, IntVariant(was), IntVariant(now));
  }
  if (changed & kAccessSelected) {
    RaiseProperty(e.simple, uia::kIsSelectedProperty, BoolVariant(old.state & kAccessSelected),
                  BoolVariant(item.state & kAccessSelected));
    if (item.state & kAccessSelected) Api().raise_event(e.simple, uia::kElementSelectedEvent);
  }
  if (changed & kAccessDisabled)
    RaiseProperty(e.simple, uia::kIsEnabledProperty, BoolVariant(!(old.state & kAccessDisabled)),
                  BoolVariant(!(item.state & kAccessDisabled)));
  if (changed & (kAccessExpanded | kAccessCollapsed)) {
    const int was = (old.state & kAccessExpanded) ? uia::kExpanded : uia::kCollapsed;
    const int now = (item.state & kAccessExpanded) ? uia::kExpanded : uia::kCollapsed;
    RaiseProperty(e.simple, uia::kExpandCollapseStateProperty, IntVariant(was), IntVariant(now));
  }
}

}  // namespace

bool UiaAvailable() {
  const Functions& f = Api();
  return f.return_provider && f.host_provider;
}

IUnknown* NewUiaRoot(const TreeRef& tree) {
  if (!UiaAvailable()) return nullptr;
  return static_cast<uia::IRawElementProviderSimple*>(NewRoot(tree));
}

bool ReturnUiaRoot(const TreeRef& tree, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (!UiaAvailable()) return false;
  Root* root = NewRoot(tree);
  *result = Api().return_provider(tree->hwnd, wparam, lparam, static_cast<uia::IRawElementProviderSimple*>(root));
  root->Release();
  return true;
}

void RaiseUiaEvents(const TreeRef& tree, const AccessSnapshot& before, const AccessSnapshot& after,
                    const AccessChanges& changes) {
  const Functions& f = Api();
  if (!f.raise_event || !f.raise_property || !f.clients_listening || !f.clients_listening()) return;
  if (changes.structure && f.raise_structure) {
    Root* root = NewRoot(tree);
    int id[2] = {42, static_cast<int>(reinterpret_cast<intptr_t>(tree->hwnd))};  // the window's own runtime id
    f.raise_structure(static_cast<uia::IRawElementProviderSimple*>(root), uia::kChildrenInvalidated, id, 2);
    root->Release();
  }
  if (changes.focus) {
    const Raised e(tree, after.items[static_cast<size_t>(after.focused)].uid);
    f.raise_event(e.simple, uia::kFocusChangedEvent);
  }
  for (int i : changes.names) {
    const AccessItem& item = after.items[static_cast<size_t>(i)];
    const AccessItem* old = FindItem(before, item.uid);
    if (!old) continue;
    const Raised e(tree, item.uid);
    RaiseProperty(e.simple, uia::kNameProperty, TextVariant(old->name), TextVariant(item.name));
  }
  for (int i : changes.states) {
    const AccessItem& item = after.items[static_cast<size_t>(i)];
    if (const AccessItem* old = FindItem(before, item.uid)) RaiseStateChanges(tree, *old, item);
  }
  for (int i : changes.values) {
    const AccessItem& item = after.items[static_cast<size_t>(i)];
    const AccessItem* old = FindItem(before, item.uid);
    if (!old) continue;
    const Raised e(tree, item.uid);
    if (Supports(item, uia::kRangeValuePattern))
      RaiseProperty(e.simple, uia::kRangeValueValueProperty, NumberVariant(old->number), NumberVariant(item.number));
    else
      RaiseProperty(e.simple, uia::kValueValueProperty, TextVariant(old->value), TextVariant(item.value));
  }
  for (int i : changes.live) {
    const Raised e(tree, after.items[static_cast<size_t>(i)].uid);
    f.raise_event(e.simple, uia::kLiveRegionChangedEvent);
  }
  if (changes.alert >= 0) {
    const AccessItem& toast = after.items[static_cast<size_t>(changes.alert)];
    const Raised e(tree, toast.uid);
    if (f.raise_notification) {
      BSTR text = SysAllocStringLen(toast.name.data(), static_cast<UINT>(toast.name.size()));
      BSTR activity = SysAllocString(L"toast");
      f.raise_notification(e.simple, uia::kNotificationOther, uia::kImportantMostRecent, text, activity);
      SysFreeString(text);
      SysFreeString(activity);
    } else {
      f.raise_event(e.simple, uia::kLiveRegionChangedEvent);
    }
  }
}

void UiaWindowGone(HWND hwnd) {
  // A null provider tells UI Automation the window's providers are gone.
  if (UiaAvailable()) Api().return_provider(hwnd, 0, 0, nullptr);
}

}  // namespace ui::access
