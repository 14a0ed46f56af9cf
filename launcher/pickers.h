// The system's folder and file pickers (the common item dialog), owned by the launcher
// window. Both return a UTF-8 path, or "" when the player cancels or the dialog fails.
#pragma once

#include <string>

std::string PickFolder(const std::wstring& title);
std::string PickDiscImage();
