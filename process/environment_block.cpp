#include "process/environment_block.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "platform/text.h"

std::wstring BuildEnvironmentBlock(const EnvOverrides& overrides) {
  std::vector<std::wstring> entries;
  if (wchar_t* own = GetEnvironmentStringsW()) {
    for (const wchar_t* p = own; *p; p += wcslen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsW(own);
  }
  for (const auto& o : overrides) {
    const std::wstring prefix = text::Utf8ToWide(o.first) + L"=";
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const std::wstring& e) {
                                   return _wcsnicmp(e.c_str(), prefix.c_str(), prefix.size()) == 0;
                                 }),
                  entries.end());
    if (!o.second.empty()) entries.push_back(prefix + text::Utf8ToWide(o.second));
  }
  // Windows expects the block sorted without regard to case.
  std::sort(entries.begin(), entries.end(),
            [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
  std::wstring block;
  for (const std::wstring& e : entries) {
    block += e;
    block += L'\0';
  }
  if (entries.empty()) block += L'\0';  // an empty block is still two NULs
  block += L'\0';
  return block;
}
