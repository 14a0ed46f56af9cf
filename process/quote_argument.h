// Command lines for started processes: every path or argument that may hold spaces goes
// through QuoteArgument.
#pragma once

#include <string>

// One command-line argument, quoted so the program's argv gets exactly this text back.
std::wstring QuoteArgument(const std::wstring& text);
