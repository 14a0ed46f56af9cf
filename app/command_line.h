// Which mode the command line selects, and what that mode reads from it.
#pragma once

#include <string>

enum class EntryMode {
  kUiShot,        // --ui-shot SCREEN OUT [W H]
  kWindow,        // no arguments
  kEnhance,       // --enhance
  kJudge,         // --judge PATH
  kSetup,         // --setup PATH [--rebuild]
  kLaunchGame,    // --launch-game [SECONDS]
  kHelp,          // --help, -h, /?
  kVersion,       // --version
  kDeveloper,     // anything else: texture viewer and scan
};

struct EntryRequest {
  EntryMode mode = EntryMode::kWindow;
  std::string path;          // --judge, --setup
  bool rebuild = false;      // --setup
  int seconds = 20;          // --launch-game
  std::string screen;        // --ui-shot
  std::string output;        // --ui-shot
  int width = 1280;          // --ui-shot
  int height = 720;          // --ui-shot
};

// Rows are tested in order and the first match wins. Option words compare byte for byte;
// numbers read like atoi. Help and version are asked for by a first argument of their own.
EntryRequest ParseCommandLine(int argc, const char* const* argv);

// Every mode but the window: keep a redirected stdout, else write into the parent's console.
void AttachParentConsole();

// Runs the selected mode and returns the process exit status.
int RunEntry(int argc, char** argv);
