// A critical section that can live in static storage and initialise itself on first use,
// and the scope guard every critical section is entered through.
#pragma once

#include <windows.h>

struct StaticLock {
  INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  CRITICAL_SECTION section;
};

// Thread-safe one-time initialisation, then the section itself.
CRITICAL_SECTION* LockSection(StaticLock* lock);

class ScopedLock {
 public:
  explicit ScopedLock(CRITICAL_SECTION* section) : section_(section) { EnterCriticalSection(section_); }
  explicit ScopedLock(StaticLock* lock) : ScopedLock(LockSection(lock)) {}
  ~ScopedLock() { LeaveCriticalSection(section_); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  CRITICAL_SECTION* section_;
};
