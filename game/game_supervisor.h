// The game being played: at most one at a time, started with the player's aspect and
// error-log choice, its standard error appended to the error log, and watched by a
// monitor thread that records the run when it ends and tells the window.
//
// The played game is not put in a job object: closing the launcher leaves it running.
#pragma once

#include <windows.h>

#include <string>

#include "game/run_records.h"

// Posted to the registered window when a run has been recorded; wParam is the exit code.
constexpr UINT kGameEndedMessage = WM_APP + 1;

// What the monitor thread of one run is given; the thread owns it.
struct MonitorStart {
  HANDLE process = nullptr;  // a duplicate of the game's process handle, not inheritable
  double startSeconds = 0;   // GetTickCount64 / 1000 at the start
  std::string startedAt;     // local start time, "%Y-%m-%d %H:%M"
  bool errorLog = false;     // error logs were on for this run
};

// Starts the game. On refusal or failure returns false with a sentence for the player.
// A refusal (already running, not built) happens before anything is written.
bool LaunchGame(std::string* message);
bool IsGameRunning();
// Ends the running game (exit code 1); the monitor thread then records the run.
void EndGame();
// The run of the game that ended last in this process, and where RecordRun put it; false
// when no game has ended yet.
bool LastEndedRun(RunRecord* run, RunRecorded* recorded);
// Where the monitor threads post kGameEndedMessage. Set once by the window, before any
// game can start; the console modes register nothing.
void RegisterGameWindow(HWND window, UINT message);
