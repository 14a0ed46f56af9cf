// The operations screens and the window use to move between screens and to act on the
// dump: every screen change, every toast and every refresh of the dump status goes
// through here, so the focus and scroll rules hold everywhere. GUI thread only.
#pragma once

#include <string>

#include "launcher/launcher_state.h"

// screen = s, focus moves to its default control, the settings scroll returns to the top.
// Home also refreshes the dump status, so it always shows the current dump.
void GoToScreen(ScreenId s);
// Opens a settings page the same way.
void GoToSettingsPage(SettingsPage page);

// Reads the configured dump's status into Launcher().status. A disc image may have to
// be extracted again, which takes minutes: in the window that read goes to the dump
// checker and status_checking stays set until it is back.
void RefreshDumpStatus();

// Starts the setup job on the configured dump, or opens the chooser when there is none.
// When another job already runs it shows that job (or a toast naming it) instead; false
// when no new job was started.
bool StartSetup(bool rebuild);

// Shows text for 3.5 s; a new toast replaces the old one and starts its time again.
void ShowToast(const std::wstring& text);

// Puts a dropped or picked path first in the chooser and selects it. Its verdict comes
// from the dump checker; the toast that names a problem follows the verdict.
void ChooseDumpPath(const std::string& path);

// The chooser's toast for a verdict: "" for a ready dump.
std::wstring ChoiceToast(const DumpCandidate& candidate);

// Applies verdicts the dump checker has finished since the last call (GUI thread, once
// per loop iteration). True when anything changed that the screen shows.
bool ApplyFinishedDumpChecks();

// Whether a job of either kind runs now, and which (kJobSetup or kJobEnhance).
bool JobRunning(int* kind = nullptr);
