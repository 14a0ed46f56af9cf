#include "ui/gdiplus_session.h"

#include <vector>

#include "ui/gdiplus_api.h"

namespace ui {
namespace {
// GUI thread only, like the rest of the toolkit.
struct Session {
  ULONG_PTR token = 0;
  int starts = 0;
  std::vector<void (*)()> releases;
};
Session& TheSession() {
  static Session session;
  return session;
}
}  // namespace

bool StartGdiplus() {
  Session& s = TheSession();
  if (s.starts > 0) {
    ++s.starts;
    return true;
  }
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, nothing suppressed
  if (Gdiplus::GdiplusStartup(&s.token, &input, nullptr) != Gdiplus::Ok) return false;
  s.starts = 1;
  return true;
}

void StopGdiplus() {
  Session& s = TheSession();
  if (s.starts == 0 || --s.starts > 0) return;
  std::vector<void (*)()> releases;
  releases.swap(s.releases);
  for (auto it = releases.rbegin(); it != releases.rend(); ++it) (*it)();
  Gdiplus::GdiplusShutdown(s.token);
  s.token = 0;
}

void AtGdiplusStop(void (*fn)()) {
  Session& s = TheSession();
  for (auto* registered : s.releases)
    if (registered == fn) return;
  s.releases.push_back(fn);
}

bool GdiplusRunning() { return TheSession().starts > 0; }

}  // namespace ui
