// What the two accessibility adapters share: one window's published snapshot behind its
// lock, kept alive by every object handed out for it, so an object a client still holds
// after the window has gone answers "not available" instead of reaching freed memory.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/access.h"

namespace ui::access {

// IID_IAccessible, spelled out: taking it from liboleacc.a as well as libuuid.a defines it twice.
constexpr GUID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct Tree {
  explicit Tree(HWND window);
  ~Tree();
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  // Guards snapshot and alive. Held only to copy or look something up, never while
  // calling out of this module, so a client on any thread waits at most that long.
  CRITICAL_SECTION lock;
  const HWND hwnd;
  bool alive = true;
  AccessSnapshot snapshot;
};
using TreeRef = std::shared_ptr<Tree>;

// The reference count every COM object of the adapters shares; the last Release deletes
// it. QueryInterface stays the object's own and hands its answer to Give.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
template <typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;  // after the interfaces' own entries: their layout stays
  HRESULT Give(void* as, void** out) {
    *out = as;
    if (!as) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

 private:
  LONG refs_ = 1;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// Under the tree's lock: the item with this uid, or null; *index gets its position.
const AccessItem* FindItem(const AccessSnapshot& snapshot, uint32_t uid, int* index = nullptr);
// The item's rectangle on the screen.
RECT ScreenRect(HWND hwnd, const AccessItem& item);
// The item under a screen point, the last drawn winning; -1 for none.
int HitTest(const AccessSnapshot& snapshot, HWND hwnd, POINT screen);
// The item nearest in a direction (0 up, 1 down, 2 left, 3 right) from item `from`; -1 none.
int Nearest(const AccessSnapshot& snapshot, int from, int direction);
// Posts an action for an item to the window (never waits); false once the window is gone.
bool PostAction(const Tree& tree, uint32_t uid, AccessAction action, int64_t argument = 0);
// The option of a segmented control or selector whose text is `text` (case ignored); -1 none.
int OptionIndex(const AccessItem& item, const wchar_t* text);

// What changed from one snapshot to the next, as indices into the newer one.
struct AccessChanges {
  bool structure = false;  // items came or went: another screen or page
  bool focus = false;      // the focus moved to snapshot.focused
  std::vector<int> names, states, values;
  std::vector<int> live;   // live items whose name changed
  int alert = -1;          // a toast that wasn't there or said something else
};
AccessChanges DiffSnapshots(const AccessSnapshot& before, const AccessSnapshot& after);

// [SECTION] MSAA

// The IAccessible of the window's client area (a new reference).
IAccessible* NewMsaaRoot(const TreeRef& tree);
void RaiseMsaaEvents(HWND hwnd, const AccessSnapshot& after, const AccessChanges& changes);

// [SECTION] UI Automation

// Whether uiautomationcore.dll and its provider functions could be loaded.
bool UiaAvailable();
// The fragment root of the window (a new reference), or null without UI Automation.
IUnknown* NewUiaRoot(const TreeRef& tree);
// UiaReturnRawElementProvider for the root; false without UI Automation.
bool ReturnUiaRoot(const TreeRef& tree, WPARAM wparam, LPARAM lparam, LRESULT* result);
void RaiseUiaEvents(const TreeRef& tree, const AccessSnapshot& before, const AccessSnapshot& after,
                    const AccessChanges& changes);
// Tells UI Automation the window's providers are gone.
void UiaWindowGone(HWND hwnd);

}  // namespace ui::access
