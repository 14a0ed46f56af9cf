// CreateProcessW as every start in the launcher and its tests makes it. Under load Wine
// now and then loses a process while starting it: the new process ends before its first
// instruction and the start fails with ERROR_INTERNAL_ERROR. Nothing of the program ran,
// so such a start is tried again at once; every other failure is final.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

constexpr int kStartAttempts = 3;  // tries of one start in all, the first included

// CreateProcessW with the command line copied for each try (the call may write into it).
// True with `started` filled, or false with the Windows error in `error`. `retrying` (may
// be empty) hears of each lost start before it is tried again.
bool CreateProcessTrying(const wchar_t* program, const std::wstring& command, BOOL inherit, DWORD flags,
                         void* environment, const wchar_t* cwd, STARTUPINFOW* startup, PROCESS_INFORMATION* started,
                         DWORD* error, const std::function<void(DWORD error)>& retrying = {});

// [SECTION] For tests

namespace ProcessTesting {
// The next `count` starts are lost (fail with `error`) before they reach the system.
void FailNextStarts(int count, DWORD error);
}  // namespace ProcessTesting
