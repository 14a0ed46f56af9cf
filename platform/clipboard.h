// The clipboard, for text the player pastes elsewhere (a bug report).
#pragma once

#include <windows.h>

#include <string>

// Puts the UTF-8 text on the clipboard as Unicode text; false when the clipboard is held
// by another program or the memory couldn't be had.
bool CopyToClipboard(HWND window, const std::string& text);
