// UTF-8 <-> UTF-16 conversion. Narrow strings everywhere hold UTF-8;
// everything drawn, every command line and environment block is UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace text {

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

// ASCII-only case folding, as the Windows CRT's _stricmp does in the C locale.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Compares the way Windows compares file names: letters beyond ASCII without regard to
// case too (ordinal, no locale).
bool EqualsAsFileName(std::string_view a, std::string_view b);

// Removes spaces, tabs, CR and LF from both ends.
std::string Trim(std::string_view s);

// Reads leading digits like atoi (optional blanks and sign first); saturates instead of overflowing.
int ParseIntLikeAtoi(const char* s);

}  // namespace text
