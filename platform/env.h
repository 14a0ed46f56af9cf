// The process environment as UTF-8. Read through the Win32 block (not the CRT's copy),
// so values set with SetEnvironmentVariable by this process are seen at once.
#pragma once

#include <string>

namespace env {

// True when the variable is defined (an empty value counts as defined).
bool Get(const char* name, std::string* value);
// Like Get, but reuses the string's buffer and allocates nothing for short values, for
// callers that look variables up every frame.
bool GetInto(const char* name, std::string* value);
// The value, or "" when the variable is not defined.
std::string Value(const char* name);
bool IsSet(const char* name);

}  // namespace env
