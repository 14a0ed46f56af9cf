#include "app/command_line.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/modes/modes.h"
#include "platform/text.h"

static bool Is(const char* arg, const char* word) { return strcmp(arg, word) == 0; }

EntryRequest ParseCommandLine(int argc, const char* const* argv) {
  EntryRequest r;
  const int n = argc - 1;  // argument 0 is the program path
  if (n >= 3 && Is(argv[1], "--ui-shot")) {
    r.mode = EntryMode::kUiShot;
    r.screen = argv[2];
    r.output = argv[3];
    if (n >= 5) {
      r.width = text::ParseIntLikeAtoi(argv[4]);
      r.height = text::ParseIntLikeAtoi(argv[5]);
    }
  } else if (n <= 0) {
    r.mode = EntryMode::kWindow;
  } else if (Is(argv[1], "--enhance")) {
    r.mode = EntryMode::kEnhance;
  } else if (n >= 2 && Is(argv[1], "--judge")) {
    r.mode = EntryMode::kJudge;
    r.path = argv[2];
  } else if (n >= 2 && Is(argv[1], "--setup")) {
    r.mode = EntryMode::kSetup;
    r.path = argv[2];
    r.rebuild = n >= 3 && Is(argv[3], "--rebuild");
  } else if (Is(argv[1], "--launch-game")) {
    r.mode = EntryMode::kLaunchGame;
    r.seconds = n >= 2 ? text::ParseIntLikeAtoi(argv[2]) : 20;
  } else if (Is(argv[1], "--help") || Is(argv[1], "-h") || Is(argv[1], "/?")) {
    r.mode = EntryMode::kHelp;
  } else if (Is(argv[1], "--version")) {
    r.mode = EntryMode::kVersion;
  } else {
    r.mode = EntryMode::kDeveloper;
  }
  return r;
}

void AttachParentConsole() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;  // started from Explorer: output is lost
  FILE* f = nullptr;
  f = freopen("CONOUT$", "w", stdout);
  f = freopen("CONOUT$", "w", stderr);
  (void)f;
}

int RunEntry(int argc, char** argv) {
  EntryRequest r = ParseCommandLine(argc, argv);
  if (r.mode != EntryMode::kWindow) AttachParentConsole();
  switch (r.mode) {
    case EntryMode::kUiShot: return RunUiShotMode(r.screen, r.output, r.width, r.height);
    case EntryMode::kWindow: return RunLauncherWindow();
    case EntryMode::kEnhance: return RunEnhanceMode();
    case EntryMode::kJudge: return RunJudgeMode(r.path);
    case EntryMode::kSetup: return RunSetupMode(r.path, r.rebuild);
    case EntryMode::kLaunchGame: return RunLaunchGameMode(r.seconds);
    case EntryMode::kHelp: return RunHelpMode();
    case EntryMode::kVersion: return RunVersionMode();
    case EntryMode::kDeveloper: return RunDeveloperTools(argc, argv);
  }
  return 1;
}
