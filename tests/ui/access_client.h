// What the tests' MSAA clients pass and get back: child ids and strings.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace accesstest {

inline VARIANT Child(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

// The string, freed.
inline std::wstring Take(BSTR b) {
  std::wstring s = b ? b : L"";
  SysFreeString(b);
  return s;
}

}  // namespace accesstest
