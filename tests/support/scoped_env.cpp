#include "tests/support/scoped_env.h"

#include <windows.h>

#include "platform/env.h"
#include "platform/text.h"

#include <cstdlib>

namespace testsupport {

void SetEnv(const std::string& name, const char* value) {
  std::wstring w = text::Utf8ToWide(name);
  // The CRT's copy cannot hold an empty value (its putenv deletes the variable, in the
  // Win32 block too), so clear it first; the Win32 block, which Kestrane and children
  // read, can then keep an empty value as defined.
  _wputenv_s(w.c_str(), L"");
  if (!value) {
    SetEnvironmentVariableW(w.c_str(), nullptr);
    return;
  }
  std::wstring v = text::Utf8ToWide(value);
  if (*value) _wputenv_s(w.c_str(), v.c_str());
  SetEnvironmentVariableW(w.c_str(), v.c_str());
}

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
  had_value_ = env::Get(name_.c_str(), &old_value_);
  SetEnv(name_, value.c_str());
}

ScopedEnv::ScopedEnv(const std::string& name) : name_(name) {
  had_value_ = env::Get(name_.c_str(), &old_value_);
  SetEnv(name_, nullptr);
}

ScopedEnv::~ScopedEnv() { SetEnv(name_, had_value_ ? old_value_.c_str() : nullptr); }

}  // namespace testsupport
