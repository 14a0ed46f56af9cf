// An inheritable handle that nobody hands on, standing for whatever else is inheritable
// in the launcher while it starts a process (a tool's pipe, the game's error log). A
// child that finds it open (the stand-ins' "handle" check) inherited too much.
//
// It is a handle to a file whose name holds kStrayMarker, so the check asks what the
// value names in the child rather than whether it is valid there: a child's own handles
// may take the same value.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace testsupport {

// In the name of the file a stray handle stands for.
constexpr wchar_t kStrayMarker[] = L"kestrane-stray-";

class StrayHandle {
 public:
  StrayHandle() {
    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    static LONG counter = 0;
    const std::wstring path = std::wstring(folder) + kStrayMarker + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(InterlockedIncrement(&counter)) + L".tmp";
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) handle_ = nullptr;
    char value[32];
    snprintf(value, sizeof value, "0x%llx", (unsigned long long)(uintptr_t)handle_);
    hex_ = value;
  }
  ~StrayHandle() {
    if (handle_) CloseHandle(handle_);
  }
  StrayHandle(const StrayHandle&) = delete;
  StrayHandle& operator=(const StrayHandle&) = delete;

  bool valid() const { return handle_ != nullptr; }
  // The handle value as the stand-ins take it, e.g. "0x1a4".
  const std::string& hex() const { return hex_; }

 private:
  HANDLE handle_ = nullptr;
  std::string hex_;
};

}  // namespace testsupport
