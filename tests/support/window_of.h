// Finding the window a launcher started as a child shows, to drive it with messages.
#pragma once

#include <windows.h>

namespace testsupport {

// The visible launcher window (class "KestraneLauncher") of process `process_id`, or null.
HWND LauncherWindowOf(DWORD process_id);

}  // namespace testsupport
