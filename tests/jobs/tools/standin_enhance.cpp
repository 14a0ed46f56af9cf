// Stands in for enhance.exe. It checks its command line against what the launcher passes,
//   enhance.exe --frames DIR --name uisingle --scale 2|4 --out FILE [--upscaler EXE --model NAME]
// (anything else: an "error:" line and exit 2), writes what it got to "enhance.received"
// next to it ([arg] lines, [cwd], [frames] COUNT), when steered to starts a child of its
// own that prints "enhance child N" lines, then prints "progress N TOTAL upscale" lines,
// writing each upscaled frame into DIR\up, and "progress N TOTAL encode" lines, one per
// frame, at a steady pace. FILE holds a partial video meanwhile; last it writes the whole
// one, ends its child and exits.
// Whenever its own pace or its child's stalled for over a second, which is what a
// suspension looks like from inside, it prints "<who> stalled N ms" and appends that line
// to "enhance.pauses" next to it ("enhancer" or "child").
// Steered by "enhance.steer" next to it, key=value lines:
//   frame_ms=N      time per frame in each phase (default 5)
//   child=1         start the child (for tests of what reaches the enhancer's children)
//   line=TEXT       printed before the progress starts (repeatable)
//   output_bytes=N  size of the finished FILE (default 5000); "none" leaves no file
//   exit=N          exit code (default 0)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/tools/standin.h"

namespace {

const char kChildFlag[] = "--enhance-child";
const ULONGLONG kStall = 1000;

void WriteFileBytes(const std::string& path, const std::string& bytes, bool append) {
  FILE* f = _wfopen(text::Utf8ToWide(path).c_str(), append ? L"ab" : L"wb");
  if (!f) return;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

// Sleeps, and reports when the time since the previous call came out far longer than
// asked. The whole round counts, not just the sleep: a suspension can land anywhere.
void PacedSleep(const char* who, DWORD ms) {
  static ULONGLONG last = GetTickCount64();
  Sleep(ms);
  const ULONGLONG now = GetTickCount64();
  const ULONGLONG took = now - last;
  last = now;
  if (took < ms + kStall) return;
  const std::string line = std::string(who) + " stalled " + std::to_string(took) + " ms";
  standin::Line(line);
  WriteFileBytes(standin::OwnDir() + "enhance.pauses", line + "\n", true);
}

[[noreturn]] void RunChild() {
  for (unsigned n = 0;; ++n) {
    standin::Line("enhance child " + std::to_string(n));
    PacedSleep("child", 20);
  }
}

// The launcher's command line, or an error text.
std::string CheckArgs(const std::vector<std::string>& a) {
  if (a.size() != 9 && a.size() != 13) return "expected 8 or 12 arguments, got " + std::to_string(a.size() - 1);
  if (a[1] != "--frames" || a[3] != "--name" || a[4] != "uisingle" || a[5] != "--scale" || a[7] != "--out")
    return "expected --frames DIR --name uisingle --scale N --out FILE";
  if (a[6] != "2" && a[6] != "4") return "the scale must be 2 or 4, not " + a[6];
  if (a.size() == 13) {
    if (a[9] != "--upscaler" || a[11] != "--model") return "expected --upscaler EXE --model NAME";
    const DWORD upscaler = GetFileAttributesW(text::Utf8ToWide(a[10]).c_str());
    if (upscaler == INVALID_FILE_ATTRIBUTES || (upscaler & FILE_ATTRIBUTE_DIRECTORY)) return "no upscaler at " + a[10];
  }
  return "";
}

void Progress(const char* phase, unsigned n, unsigned total) {
  char line[64];
  snprintf(line, sizeof line, "progress %u %u %s", n, total, phase);
  standin::Line(line);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && strcmp(argv[1], kChildFlag) == 0) RunChild();
  const standin::Steering steering = standin::ReadSteering(standin::OwnDir() + "enhance.steer");
  const std::vector<std::string> args = standin::Args();
  const std::string error = CheckArgs(args);
  if (!error.empty()) {
    standin::Line("error: " + error);
    return 2;
  }
  const std::string frames_dir = args[2];
  const unsigned frames = standin::CountEntries(frames_dir, false);

  std::string received;
  for (const std::string& arg : args) received += "[arg] " + arg + "\n";
  wchar_t cwd[1024];
  DWORD n = GetCurrentDirectoryW(1024, cwd);
  received += "[cwd] " + text::WideToUtf8(std::wstring(cwd, n)) + "\n";
  received += "[frames] " + std::to_string(frames) + "\n";
  WriteFileBytes(standin::OwnDir() + "enhance.received", received, false);
  if (frames == 0) {
    standin::Line("error: no frames in " + frames_dir);
    return 3;
  }

  HANDLE child = nullptr;
  if (standin::Value(steering, "child", "0") == "1" && !(child = standin::StartCopy(kChildFlag))) {
    standin::Line("error: couldn't start the child (Windows error " + std::to_string(GetLastError()) + ")");
    return 4;
  }
  auto lines = steering.find("line");
  if (lines != steering.end())
    for (const std::string& line : lines->second) standin::Line(line);

  const DWORD frame_ms = (DWORD)strtoul(standin::Value(steering, "frame_ms", "5").c_str(), nullptr, 10);
  CreateDirectoryW(text::Utf8ToWide(frames_dir + "\\up").c_str(), nullptr);
  WriteFileBytes(args[8], "partial", false);  // the output grows as the work goes on
  for (unsigned i = 1; i <= frames; ++i) {
    PacedSleep("enhancer", frame_ms);
    char name[32];
    snprintf(name, sizeof name, "\\up\\frame_%05u.png", i);
    WriteFileBytes(frames_dir + name, "upscaled\n", false);
    Progress("upscale", i, frames);
  }
  for (unsigned i = 1; i <= frames; ++i) {
    PacedSleep("enhancer", frame_ms);
    Progress("encode", i, frames);
  }

  const std::string output = standin::Value(steering, "output_bytes", "5000");
  if (output == "none")
    DeleteFileW(text::Utf8ToWide(args[8]).c_str());
  else
    WriteFileBytes(args[8], std::string(strtoul(output.c_str(), nullptr, 10), 'v'), false);
  // The child holds the pipe too: the launcher reads until it is gone.
  if (child) {
    TerminateProcess(child, 0);
    WaitForSingleObject(child, INFINITE);
    CloseHandle(child);
  }
  return (int)strtoul(standin::Value(steering, "exit", "0").c_str(), nullptr, 0);
}
