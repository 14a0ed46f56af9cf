#include "platform/named_lock.h"

#include <cstdint>
#include <cstdio>

#include "platform/text.h"

namespace named_lock {

std::wstring NameFor(const char* prefix, const std::string& what) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : what) {
    const unsigned char u = (unsigned char)((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    hash = (hash ^ u) * 1099511628211ull;
  }
  char digits[17];
  snprintf(digits, sizeof digits, "%016llx", (unsigned long long)hash);
  return L"Local\\" + text::Utf8ToWide(prefix) + L"-" + text::Utf8ToWide(digits);
}

}  // namespace named_lock

ScopedNamedLock::ScopedNamedLock(const std::wstring& name, DWORD wait_ms) {
  mutex_ = CreateMutexW(nullptr, FALSE, name.c_str());
  if (!mutex_) return;
  const DWORD got = WaitForSingleObject(mutex_, wait_ms);
  held_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
}

ScopedNamedLock::~ScopedNamedLock() {
  if (held_) ReleaseMutex(mutex_);
  if (mutex_) CloseHandle(mutex_);
}
