// The operations screens and the window use to move between screens and to act on the
// dump: every screen change goes through here, so the focus and scroll rules hold
// everywhere. Toasts (launcher_state.h) and the status refresh (status_snapshot.h) sit
// lower, so the workers' files below the screens can use them too. GUI thread only.
#pragma once

#include <string>

#include "launcher/launcher_state.h"
#include "launcher/status_snapshot.h"

// screen = s, focus moves to its default control, the settings scroll returns to the top.
// Home also refreshes the dump status (status_snapshot.h), so it soon shows the current
// dump.
void GoToScreen(ScreenId s);
// Opens a settings page the same way, and reads what the page shows from files.
void GoToSettingsPage(SettingsPage page);

// Starts the setup job on the configured dump, or opens the chooser when there is none.
// When another job already runs it shows that job (or a toast naming it) instead; while
// the game runs it refuses with a toast. False when no new job was started.
bool StartSetup(bool rebuild);

// For the actions that change the game's files (build, index, removing the enhanced
// video): while the game runs, says so with a toast and returns true.
bool RefuseWhileGameRuns();

// Opens a folder or file the way Explorer would, from the worker: the shell can take a
// while to answer.
void OpenForPlayer(const std::string& path);

namespace LauncherActionsTesting {
// Replaces what OpenForPlayer and Save report open folders and files with (null puts the
// shell back): a test records the path instead of leaving Explorer windows open.
void SetOpener(void (*open)(const std::string& path));
}  // namespace LauncherActionsTesting

// "Copy report" and "Save report": composed (and saved) on the worker from the status
// snapshot; the toast says how it went when it's done. A click while one is being made
// is ignored.
void CopyReport();
void SaveReport();

// Puts a dropped or picked path first in the chooser and selects it. Its verdict comes
// from the dump checker; the toast that names a problem follows the verdict.
void ChooseDumpPath(const std::string& path);
