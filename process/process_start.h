// The one way the launcher starts a process: without a window, with the environment
// block of its overrides, and inheriting its three standard handles and nothing else.
// The runner (child_process.h) starts every tool through it, the game launch the game.
#pragma once

#include <windows.h>

#include <string>

#include "process/environment_block.h"

struct ProcessLaunch {
  std::wstring program;       // the executable; empty: Windows takes the command line's first token
  std::wstring commandLine;   // the program's own path first, each argument through QuoteArgument
  std::string workingDir;     // empty: the launcher's current folder
  EnvOverrides environment;   // on top of the launcher's own
  // The standard handles, made inheritable by the caller; only these reach the process.
  // Whatever else is inheritable in the launcher at that moment (the pipe of a tool
  // another thread is starting, the game's error log) must not live on in it.
  HANDLE input = nullptr;
  HANDLE output = nullptr;
  HANDLE error = nullptr;
  bool suspended = false;     // its first thread waits for ResumeThread
};

// Starts the process. True with `started` filled (the caller closes both handles), or
// false with the Windows error in `error`. A start the system lost is tried again at
// once (see platform/create_process.h), each retry logged.
bool StartProcess(const ProcessLaunch& launch, PROCESS_INFORMATION* started, DWORD* error);

// The program a launch starts, for the log: `program`, or the command line's first token.
std::string ProgramOf(const ProcessLaunch& launch);
