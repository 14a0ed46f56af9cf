#include "platform/clipboard.h"

#include <cstring>

#include "platform/text.h"

bool CopyToClipboard(HWND window, const std::string& utf8) {
  const std::wstring wide = text::Utf8ToWide(utf8);
  if (!OpenClipboard(window)) return false;
  bool ok = false;
  if (EmptyClipboard()) {
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* target = memory ? GlobalLock(memory) : nullptr;
    if (target) {
      memcpy(target, wide.c_str(), bytes);
      GlobalUnlock(memory);
      // The clipboard owns the memory only once it took it.
      ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (memory && !ok) GlobalFree(memory);
  }
  CloseClipboard();
  return ok;
}
