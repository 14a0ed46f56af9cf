// One plain-text bug report the player can hand over instead of hunting for files: the
// build and dump, the last runs, the changed settings, the tail of the error log and the
// game's crash report. The player's home folder and user name are taken out before any
// of it leaves the launcher; nothing is sent anywhere.
#pragma once

#include <string>

#include "dump/dump_status.h"
#include "game/build_status.h"

// Composing and saving read logs that can be megabytes: never on the window's thread.

// The report text (UTF-8), already scrubbed, with the build and dump lines from `dump`
// and `build` (the window's snapshot).
std::string ComposeReport(const DumpStatus& dump, const BuildStatus& build);
// USERPROFILE becomes "%USERPROFILE%" and USERNAME, when longer than two characters,
// "<user>", in any letter case; the home folder also with slashes for backslashes and in
// its short 8.3 form. One pass from left to right: what it puts in, and markers already
// in the text, are never rewritten. The text is case-folded once, piece by piece, not
// character by character.
std::string ScrubPersonalData(const std::string& text);
// A new folder under %LOCALAPPDATA%\Kestrane\reports with report.txt, scrubbed copies of
// the error logs and settings.ini. Its path, or "" when it couldn't be created (a second
// save within the same second) or any file in it couldn't be written completely.
std::string WriteReportFolder(const DumpStatus& dump, const BuildStatus& build);
