// The work behind each entry mode. Each returns the process exit status.
#pragma once

#include <windows.h>

#include <string>

int RunUiShotMode(const std::string& screen, const std::string& output, int width, int height);
int RunLauncherWindow();
// The launcher window of process `pid`, or null (none yet, or no longer).
HWND FindLauncherWindowOf(DWORD pid);
int RunEnhanceMode();
// The work of --enhance: the enhancement job on the console; with KESTRANE_ENHANCE_PLAYTEST
// set to N it also plays the game N seconds during the upscaling, to show the pause.
int RunEnhanceFromConsole();
int RunJudgeMode(const std::string& path);
int RunSetupMode(const std::string& path, bool rebuild);
int RunLaunchGameMode(int seconds);
// The work of --launch-game: start, let it run `seconds`, end it, print the record.
int LaunchGameFromConsole(int seconds);
int RunDeveloperTools(int argc, char** argv);
// "--help", "-h" or "/?": the usage on standard output, exit 0.
int RunHelpMode();
// "--version": "Kestrane <version>", exit 0.
int RunVersionMode();
