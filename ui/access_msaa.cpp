// MSAA over the published snapshot: the window's client area is one IAccessible whose
// children are the items, as simple elements. A child id is either a position (1 for the
// first item, in reading order, as AccessibleChildren counts) or an item's uid, which is
// what events, the focus, hit tests and navigation hand out: it still names the same item
// when a client reads it after the next frame has moved the list.
#include <windows.h>
#include <oleacc.h>

#include <cmath>
#include <string>

#include "platform/scoped_lock.h"
#include "ui/access_tree.h"

// COM objects have no virtual destructor by design: Release deletes the object itself.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

namespace ui::access {
namespace {

long RoleOf(AccessRole role) {
  switch (role) {
    case AccessRole::kNone: return ROLE_SYSTEM_GROUPING;
    case AccessRole::kButton: return ROLE_SYSTEM_PUSHBUTTON;
    case AccessRole::kLink: return ROLE_SYSTEM_LINK;
    case AccessRole::kToggle:
    case AccessRole::kCheckbox: return ROLE_SYSTEM_CHECKBUTTON;
    case AccessRole::kSegmented:
    case AccessRole::kSelector: return ROLE_SYSTEM_COMBOBOX;
    case AccessRole::kSlider: return ROLE_SYSTEM_SLIDER;
    case AccessRole::kListRow:
    case AccessRole::kProgressStep: return ROLE_SYSTEM_LISTITEM;
    case AccessRole::kRadioRow: return ROLE_SYSTEM_RADIOBUTTON;
    case AccessRole::kText:
    case AccessRole::kHeading: return ROLE_SYSTEM_STATICTEXT;
    case AccessRole::kProgressBar: return ROLE_SYSTEM_PROGRESSBAR;
    case AccessRole::kAlert: return ROLE_SYSTEM_ALERT;
  }
  return ROLE_SYSTEM_GROUPING;
}

long StateOf(const AccessItem& item) {
  long s = 0;
  if (item.state & kAccessFocusable) s |= STATE_SYSTEM_FOCUSABLE;
  if (item.state & kAccessFocused) s |= STATE_SYSTEM_FOCUSED;
  if (item.state & kAccessChecked) s |= STATE_SYSTEM_CHECKED;
  if (item.state & kAccessSelected) s |= STATE_SYSTEM_SELECTED;
  if (item.role == AccessRole::kRadioRow) s |= STATE_SYSTEM_SELECTABLE;
  if (item.state & kAccessDisabled) s |= STATE_SYSTEM_UNAVAILABLE;
  if (item.state & kAccessBusy) s |= STATE_SYSTEM_BUSY;
  if (item.state & kAccessExpanded) s |= STATE_SYSTEM_EXPANDED;
  if (item.state & kAccessCollapsed) s |= STATE_SYSTEM_COLLAPSED;
  if (item.state & kAccessOffscreen) s |= STATE_SYSTEM_OFFSCREEN;
  if (item.focus_id < 0) s |= STATE_SYSTEM_READONLY;
  return s;
}

HRESULT Text(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

void SetChild(VARIANT* out, long child) {
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = child;
}

class MsaaRoot final : public ComObject<IAccessible> {
 public:
  explicit MsaaRoot(TreeRef tree) : tree_(std::move(tree)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    const bool mine = iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible;
    return Give(mine ? static_cast<IAccessible*>(this) : nullptr, out);
  }

  // IDispatch: clients call the vtable; late binding isn't offered.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    return CreateStdAccessibleObject(tree_->hwnd, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(out));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    ScopedLock hold(&tree_->lock);
    if (!tree_->alive) return CO_E_OBJNOTCONNECTED;
    *count = static_cast<long>(tree_->snapshot.items.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Read(child, [](const AccessItem*) { return S_FALSE; });  // children are simple elements
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return Read(child, [&](const AccessItem* item) { return Text(item ? item->name : tree_->snapshot.title, out); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    return Read(child, [&](const AccessItem* item) { return Text(item ? item->value : std::wstring(), out); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return Read(child, [&](const AccessItem* item) { return Text(item ? item->description : std::wstring(), out); });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    return Read(child, [&](const AccessItem* item) {
      SetChild(out, item ? RoleOf(item->role) : ROLE_SYSTEM_CLIENT);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    return Read(child, [&](const AccessItem* item) {
      SetChild(out, item ? StateOf(*item) : static_cast<long>(STATE_SYSTEM_FOCUSABLE));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
    return Read(child, [&](const AccessItem*) { return Text(std::wstring(), out); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    return Read(child, [&](const AccessItem*) { return Text(std::wstring(), out); });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    ScopedLock hold(&tree_->lock);
    if (!tree_->alive) return CO_E_OBJNOTCONNECTED;
    if (tree_->snapshot.focused < 0) return S_FALSE;
    SetChild(out, Id(tree_->snapshot.items[static_cast<size_t>(tree_->snapshot.focused)]));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    ScopedLock hold(&tree_->lock);
    if (!tree_->alive) return CO_E_OBJNOTCONNECTED;
    const std::vector<AccessItem>& items = tree_->snapshot.items;
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].role == AccessRole::kRadioRow && (items[i].state & kAccessSelected)) {
        SetChild(out, Id(items[i]));
        return S_OK;
      }
    }
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    return Read(child, [&](const AccessItem* item) { return Text(item ? item->action : std::wstring(), out); });
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return Read(child, [&](const AccessItem* item) -> HRESULT {
      if (!item || item->focus_id < 0) return E_INVALIDARG;
      const bool take_selection = (flags & SELFLAG_TAKESELECTION) && item->role == AccessRole::kRadioRow;
      if (!(flags & SELFLAG_TAKEFOCUS) && !take_selection) return E_INVALIDARG;
      // A row is chosen by moving the focus onto it, as the arrow keys do.
      return PostAction(*tree_, item->uid, kAccessFocus) ? S_OK : CO_E_OBJNOTCONNECTED;
    });
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    return Read(child, [&](const AccessItem* item) {
      RECT r = {};
      if (item) {
        r = ScreenRect(tree_->hwnd, *item);
      } else {
        GetClientRect(tree_->hwnd, &r);
        MapWindowPoints(tree_->hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
      }
      *left = r.left;
      *top = r.top;
      *width = r.right - r.left;
      *height = r.bottom - r.top;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    return Read(start, [&](const AccessItem* item) -> HRESULT {
      const AccessSnapshot& s = tree_->snapshot;
      const int count = static_cast<int>(s.items.size());
      int found = -1;
      if (!item) {
        if (direction == NAVDIR_FIRSTCHILD && count > 0) found = 0;
        if (direction == NAVDIR_LASTCHILD && count > 0) found = count - 1;
      } else {
        int index = -1;
        FindItem(s, item->uid, &index);
        if (direction == NAVDIR_NEXT && index + 1 < count) found = index + 1;
        if (direction == NAVDIR_PREVIOUS && index > 0) found = index - 1;
        if (direction >= NAVDIR_UP && direction <= NAVDIR_RIGHT) found = Nearest(s, index, direction - NAVDIR_UP);
      }
      if (found < 0) return S_FALSE;
      SetChild(out, Id(s.items[static_cast<size_t>(found)]));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    ScopedLock hold(&tree_->lock);
    if (!tree_->alive) return CO_E_OBJNOTCONNECTED;
    RECT client = {};
    GetClientRect(tree_->hwnd, &client);
    MapWindowPoints(tree_->hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const POINT p = {x, y};
    if (!PtInRect(&client, p)) return S_FALSE;
    const int hit = HitTest(tree_->snapshot, tree_->hwnd, p);
    SetChild(out, hit < 0 ? CHILDID_SELF : Id(tree_->snapshot.items[static_cast<size_t>(hit)]));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return Read(child, [&](const AccessItem* item) -> HRESULT {
      if (!item || item->action.empty()) return DISP_E_MEMBERNOTFOUND;
      return PostAction(*tree_, item->uid, kAccessActivate) ? S_OK : CO_E_OBJNOTCONNECTED;
    });
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return Read(child, [&](const AccessItem* item) -> HRESULT {
      if (!item || !value) return E_INVALIDARG;
      if (item->role == AccessRole::kSlider) {
        wchar_t* end = nullptr;
        const double number = wcstod(value, &end);
        if (end == value) return E_INVALIDARG;
        if (!(number >= item->minimum && number <= item->maximum)) return E_INVALIDARG;
        return PostAction(*tree_, item->uid, kAccessSetNumber, std::llround(number)) ? S_OK : CO_E_OBJNOTCONNECTED;
      }
      const int option = OptionIndex(*item, value);
      if (option < 0) return E_INVALIDARG;
      return PostAction(*tree_, item->uid, kAccessSetOption, option) ? S_OK : CO_E_OBJNOTCONNECTED;
    });
  }

 private:
  bool Alive() {
    ScopedLock hold(&tree_->lock);
    return tree_->alive;
  }

  // Runs read under the lock with the child's item (null for the client area itself);
  // the object of a gone window and a child id past the list answer errors.
  template <typename Reader>
  HRESULT Read(const VARIANT& child, Reader read) {
    ScopedLock hold(&tree_->lock);
    if (!tree_->alive) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) return read(nullptr);
    const std::vector<AccessItem>& items = tree_->snapshot.items;
    if (child.lVal >= 1 && static_cast<size_t>(child.lVal) <= items.size())
      return read(&items[static_cast<size_t>(child.lVal) - 1]);
    const AccessItem* item = child.lVal > 0 ? FindItem(tree_->snapshot, static_cast<uint32_t>(child.lVal)) : nullptr;
    return item ? read(item) : E_INVALIDARG;  // an item gone since the id was handed out
  }
  static long Id(const AccessItem& item) { return static_cast<long>(item.uid); }

  TreeRef tree_;
};

}  // namespace

IAccessible* NewMsaaRoot(const TreeRef& tree) { return new MsaaRoot(tree); }

void RaiseMsaaEvents(HWND hwnd, const AccessSnapshot& after, const AccessChanges& changes) {
  auto child = [&](int index) { return static_cast<LONG>(after.items[static_cast<size_t>(index)].uid); };
  if (changes.structure) NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd, OBJID_CLIENT, CHILDID_SELF);
  if (changes.focus) NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, child(after.focused));
  for (int i : changes.names) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_CLIENT, child(i));
  for (int i : changes.states) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd, OBJID_CLIENT, child(i));
  for (int i : changes.values) NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, child(i));
  if (changes.alert >= 0) NotifyWinEvent(EVENT_SYSTEM_ALERT, hwnd, OBJID_CLIENT, child(changes.alert));
}

}  // namespace ui::access
