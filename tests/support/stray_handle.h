// An inheritable handle that nobody hands on, standing for whatever else is inheritable
// in the launcher while it starts a process (a tool's pipe, the game's error log). A
// child that finds it open (the stand-ins' "handle" check) inherited too much.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace testsupport {

class StrayHandle {
 public:
  StrayHandle() {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    handle_ = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
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
