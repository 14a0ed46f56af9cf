#include "platform/env.h"

#include <windows.h>

#include "platform/text.h"

namespace env {

bool Get(const char* name, std::string* value) {
  std::wstring wname = text::Utf8ToWide(name);
  SetLastError(ERROR_SUCCESS);
  DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n == 0) {
    // Zero is both "missing" and "defined but empty"; only the error code tells them apart.
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
    if (value) value->clear();
    return true;
  }
  std::wstring buf(n, L'\0');
  DWORD got = GetEnvironmentVariableW(wname.c_str(), &buf[0], n);
  if (got == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
  buf.resize(got < n ? got : n - 1);
  if (value) *value = text::WideToUtf8(buf);
  return true;
}

bool GetInto(const char* name, std::string* value) {
  // With the UTF-8 code page the narrow call returns UTF-8, without a wide round trip.
  char buf[256];
  SetLastError(ERROR_SUCCESS);
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  if (n == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
    value->clear();
    return true;
  }
  if (n < sizeof buf) {
    value->assign(buf, n);
    return true;
  }
  return Get(name, value);  // longer than the stack buffer
}

std::string Value(const char* name) {
  std::string v;
  return Get(name, &v) ? v : std::string();
}

bool IsSet(const char* name) { return Get(name, nullptr); }

}  // namespace env
