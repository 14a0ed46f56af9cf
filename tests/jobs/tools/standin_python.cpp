// Stands in for python.exe, in the two ways the launcher runs it.
//
// The version probe, "python.exe -I -c <program>": prints the line `version=` from
// python.steer next to this program ("py 3 12" when absent) and exits with `probe_exit`;
// with `probe_spin=1` it never answers and runs on with a grandchild until killed.
//
// The build script, "python.exe -I <source>\tools\gametrial\link.py": the script file is
// itself the steering, key=value lines:
//   line=TEXT         printed in order (repeatable), after the environment report
//   output=PATH       where the built game goes (default: KESTRANE_GAME_EXE)
//   write_game=0      build nothing
//   game_from=PATH    the built game is a copy of that program (else a few bytes of text)
//   spin=1            after the lines, keep building with a grandchild until killed
//   wait_for=PATH     after the lines, build on only once that file exists (two minutes at most)
//   zig=PATH          the ZIG the launcher must pass ("unset": none)
//   exit=N            exit code (default 0)
// It first reports "cwd=", "KESTRANE_DOL=", "PYTHONUNBUFFERED=" and "ZIG=" (or "ZIG unset")
// and fails with "error: ..." and exit code 2 when KESTRANE_DOL doesn't name a file or
// PYTHONUNBUFFERED isn't 1, as the real script relies on both.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "tests/tools/standin.h"

namespace {

int Probe() {
  standin::Steering steering = standin::ReadSteering(standin::OwnDir() + "python.steer");
  if (standin::Value(steering, "probe_spin", "0") == "1") standin::SpinWithGrandchild("probe");
  standin::Line(standin::Value(steering, "version", "py 3 12"));
  return atoi(standin::Value(steering, "probe_exit", "0").c_str());
}

int Fail(const std::string& why) {
  standin::Line("error: " + why);
  return 2;
}

bool WriteGame(const std::string& path) {
  HANDLE h = CreateFileW(text::Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const char kBody[] = "stand-in game";
  DWORD written = 0;
  BOOL ok = WriteFile(h, kBody, sizeof kBody - 1, &written, nullptr);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  SetFileTime(h, nullptr, nullptr, &now);
  CloseHandle(h);
  return ok != FALSE;
}

// A copy made now, so its last-write time is newer than the game it replaces.
bool CopyGame(const std::string& from, const std::string& to) {
  if (!CopyFileW(text::Utf8ToWide(from).c_str(), text::Utf8ToWide(to).c_str(), FALSE)) return false;
  HANDLE h = CreateFileW(text::Utf8ToWide(to).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const BOOL ok = SetFileTime(h, nullptr, nullptr, &now);
  CloseHandle(h);
  return ok != FALSE;
}

// Holds the build in its step until the test lets it go by making the file.
void WaitForFile(const std::string& path) {
  const std::wstring file = text::Utf8ToWide(path);
  const std::wstring folder = file.substr(0, file.find_last_of(L"\\/"));
  HANDLE change = FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  if (change == INVALID_HANDLE_VALUE) return;
  const ULONGLONG until = GetTickCount64() + 120000;
  while (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount64() < until) {
    WaitForSingleObject(change, 1000);  // a change in the folder, or a second to look again
    FindNextChangeNotification(change);
  }
  FindCloseChangeNotification(change);
}

int Build(const std::string& script) {
  standin::Steering steering = standin::ReadSteering(script);
  if (steering.empty()) return Fail("can't read " + script);

  wchar_t cwd[1024];
  DWORD n = GetCurrentDirectoryW(1024, cwd);
  standin::Line("cwd=" + text::WideToUtf8(std::wstring(cwd, n)));
  std::string dol, unbuffered, zig;
  bool have_dol = standin::Env("KESTRANE_DOL", &dol);
  bool have_unbuffered = standin::Env("PYTHONUNBUFFERED", &unbuffered);
  standin::Line("KESTRANE_DOL=" + dol);
  standin::Line("PYTHONUNBUFFERED=" + unbuffered);
  standin::Line(standin::Env("ZIG", &zig) ? "ZIG=" + zig : "ZIG unset");
  if (!have_dol) return Fail("KESTRANE_DOL isn't set");
  DWORD attributes = GetFileAttributesW(text::Utf8ToWide(dol).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return Fail("KESTRANE_DOL doesn't name a file");
  if (!have_unbuffered || unbuffered != "1") return Fail("PYTHONUNBUFFERED isn't 1");
  const std::string expected_zig = standin::Value(steering, "zig", "");
  if (expected_zig == "unset" ? standin::Env("ZIG", &zig) : !expected_zig.empty() && zig != expected_zig)
    return Fail("ZIG isn't what the launcher found");

  auto lines = steering.find("line");
  if (lines != steering.end())
    for (const std::string& line : lines->second) standin::Line(line);
  if (standin::Value(steering, "spin", "0") == "1") standin::SpinWithGrandchild("build");
  const std::string wait_for = standin::Value(steering, "wait_for", "");
  if (!wait_for.empty()) WaitForFile(wait_for);

  if (standin::Value(steering, "write_game", "1") == "1") {
    std::string output = standin::Value(steering, "output", "");
    if (output.empty() && !standin::Env("KESTRANE_GAME_EXE", &output)) return Fail("nowhere to put the game");
    const std::string from = standin::Value(steering, "game_from", "");
    if (from.empty() ? !WriteGame(output) : !CopyGame(from, output)) return Fail("can't write " + output);
  }
  return atoi(standin::Value(steering, "exit", "0").c_str());
}

}  // namespace

int main(int argc, char** argv) {
  standin::RunSpinChildIfAsked(argc, argv);
  std::vector<std::string> args = standin::Args();
  if (args.size() >= 4 && args[1] == "-I" && args[2] == "-c") return Probe();
  if (args.size() >= 3 && args[1] == "-I") return Build(args[2]);
  standin::Line("error: unexpected arguments");
  return 2;
}
