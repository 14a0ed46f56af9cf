// A lock that every process of the user's session shares, named after what it guards
// (a file, a folder), for files that two programs may rewrite at the same moment.
#pragma once

#include <windows.h>

#include <string>

namespace named_lock {

// "Local\<prefix>-<16 hex digits>": the digits are a hash of `what` with ASCII letters
// folded, so spellings that differ only in letter case name one lock. (A lock's name
// can't hold backslashes, so a path can't be its name.)
std::wstring NameFor(const char* prefix, const std::string& what);

}  // namespace named_lock

// Holds a named mutex for its life, once `wait_ms` has brought it. A mutex its holder
// left by dying is taken over: what it guards must be safe to find half-done.
class ScopedNamedLock {
 public:
  ScopedNamedLock(const std::wstring& name, DWORD wait_ms);
  ~ScopedNamedLock();
  ScopedNamedLock(const ScopedNamedLock&) = delete;
  ScopedNamedLock& operator=(const ScopedNamedLock&) = delete;
  // False when another holder kept it past the wait, or it couldn't be made.
  bool held() const { return held_; }

 private:
  HANDLE mutex_ = nullptr;
  bool held_ = false;
};
