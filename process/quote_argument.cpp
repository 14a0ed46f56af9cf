#include "process/quote_argument.h"

std::wstring QuoteArgument(const std::wstring& text) {
  if (text.empty()) return L"\"\"";
  if (text.find_first_of(L" \t\"") == std::wstring::npos) return text;
  // Windows programs split their command line so that backslashes count only before a
  // double quote: there they are halved. Doubling exactly those runs (before an inner
  // quote and before the closing one) gives the program back the text as it was.
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  out += L'"';
  return out;
}
