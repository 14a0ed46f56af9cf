// Shortcuts to the launcher on the desktop and in the Start menu's programs folder.
// KESTRANE_SHORTCUT_DIR puts both into one folder instead, under two names, for tests
// and automation.
#pragma once

#include <string>

enum ShortcutKind {
  kShortcutDesktop = 0,
  kShortcutStartMenu = 1,
};

// Where the kind's shortcut lives, or "" when the known folder can't be found.
std::wstring ShortcutPath(ShortcutKind kind);
bool ShortcutExists(ShortcutKind kind);
// Writes (or overwrites) the shortcut. COM must be initialised on the calling thread.
bool CreateShortcut(ShortcutKind kind);
