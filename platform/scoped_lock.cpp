#include "platform/scoped_lock.h"

static BOOL CALLBACK InitSection(PINIT_ONCE, PVOID param, PVOID*) {
  InitializeCriticalSection(static_cast<CRITICAL_SECTION*>(param));
  return TRUE;
}

CRITICAL_SECTION* LockSection(StaticLock* lock) {
  InitOnceExecuteOnce(&lock->once, InitSection, &lock->section, nullptr);
  return &lock->section;
}
