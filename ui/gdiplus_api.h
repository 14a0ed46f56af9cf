// The GDI+ flat API, included the same way by every toolkit source, and the two ways the
// toolkit reaches into the Graphics wrapper it is handed: its native handle and its
// last-status field.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <algorithm>
#include <cstddef>
#include <type_traits>

// The SDK's GDI+ headers use min and max unqualified; NOMINMAX takes the macros away.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

// winuser.h maps DrawText to DrawTextW; ui::DrawText must keep its own name.
#ifdef DrawText
#undef DrawText
#endif

namespace ui {
namespace gp = Gdiplus::DllExports;

namespace detail {
// Gdiplus::Graphics holds exactly the native handle followed by the last status (the
// Windows SDK and MinGW-w64 agree); the toolkit draws through the flat API on that handle.
struct GraphicsFields {
  Gdiplus::GpGraphics* native;
  Gdiplus::Status last_status;
};
static_assert(std::is_standard_layout_v<Gdiplus::Graphics>);
static_assert(sizeof(GraphicsFields) == sizeof(Gdiplus::Graphics));

inline Gdiplus::GpGraphics* Native(Gdiplus::Graphics* g) {
  return g ? reinterpret_cast<GraphicsFields*>(g)->native : nullptr;
}
// Errors are remembered in the wrapper, as its own calls do, and drawing carries on.
inline void Note(Gdiplus::Graphics* g, Gdiplus::Status status) {
  if (g && status != Gdiplus::Ok) reinterpret_cast<GraphicsFields*>(g)->last_status = status;
}
}  // namespace detail
}  // namespace ui
