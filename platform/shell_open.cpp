#include "platform/shell_open.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/text.h"

void OpenInShell(const std::string& path) {
  ShellExecuteW(nullptr, L"open", text::Utf8ToWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
