// Sets (or removes) one environment variable for the life of the object, then puts the
// old state back. Changes both the Win32 block (what children inherit) and the CRT's copy.
#pragma once

#include <string>

namespace testsupport {

class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const std::string& value);
  // Removes the variable.
  explicit ScopedEnv(const std::string& name);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::string old_value_;
  bool had_value_ = false;
};

// Raw setters, for tests that manage restoration themselves. A null value removes.
void SetEnv(const std::string& name, const char* value);

}  // namespace testsupport
