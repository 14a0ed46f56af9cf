// Handing a folder or file to the shell, for the player to look at in their own programs.
#pragma once

#include <string>

// Opens a folder or file (UTF-8 path) the way Explorer would.
void OpenInShell(const std::string& path);
