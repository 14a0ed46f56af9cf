// Stands in for KestraneGame.exe. What it was given goes to "received.txt" next to it
// (written whole through a .tmp file, so a reader never sees part of it):
//   [arg] ARG               each argument, the program path first
//   [cwd] FOLDER
//   [stdin] / [stdout] / [stderr] KIND   "file", "pipe", "char" (the null device) or "none"
//   [env] NAME=VALUE        the whole environment block, in its order
//   [handle] 0xH open|closed   for each handle=0xH in the steering (inheritance checks)
//   [settings] LINE         each line of the settings.ini the game reads (KESTRANE_SETTINGS_FILE,
//                           else %LOCALAPPDATA%\Kestrane\settings.ini)
//   [video] PATH open|missing   in play with graphics.enhanced_assets on: the enhanced
//                           intro video, which it then holds open, as the game does, until it ends
// The mode follows the game contract's environment. With KESTRANE_VIDEODUMP set it dumps
// the intro video's frames: it checks the rest of the frame-dump environment and that the
// NAND folder it names is there and empty (a mistake ends it with 96 and a
// "[movie] error:" line), prints "[movie] pid N", writes numbered
// frame files into that folder with a "[movie] dumped N/TOTAL" line after each, and quits.
// Otherwise it plays: it writes "[game] started (aspect A, launched L)" to standard error.
// Both are steered by "game.steer" next to it, key=value lines:
//   stderr=TEXT      another line for standard error (repeatable)
//   run_ms=N         ends after N ms (default: plays until it is ended from outside)
//   exit=N           exit code, decimal or 0x hex (default 0)
//   crash=access|divide|breakpoint   ends with that exception, for real, instead
//   crash_report=1   its crash handler writes crash_<local time>.txt into the logs folder
//   handle=0xH       see [handle] above
//   dump_frames=N    frames in the dumped video (default 24)
//   dump_frame_ms=N  time each frame takes (default 5)
//   dump_exit=N      exit code of the frame dump (default 0)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/tools/standin.h"

namespace {

std::string g_crash_report_folder;  // set when steered to write a crash report

void WriteStderr(const std::string& line) {
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

std::string StreamKind(DWORD which) {
  HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return "none";
  switch (GetFileType(h)) {
    case FILE_TYPE_DISK: return "file";
    case FILE_TYPE_PIPE: return "pipe";
    case FILE_TYPE_CHAR: return "char";
    default: return "unknown";
  }
}

// The lines of the settings.ini the game reads, without their line ends.
std::vector<std::string> ReadSettings() {
  std::string path;
  if (!standin::Env("KESTRANE_SETTINGS_FILE", &path) || path.empty()) {
    standin::Env("LOCALAPPDATA", &path);
    path += "\\Kestrane\\settings.ini";
  }
  std::vector<std::string> lines;
  if (FILE* ini = _wfopen(text::Utf8ToWide(path).c_str(), L"r")) {
    char line[1024];
    while (fgets(line, sizeof line, ini)) lines.push_back(text::Trim(line));
    fclose(ini);
  }
  return lines;
}

// The value of "name = value" in the section, or `fallback`.
std::string Setting(const std::vector<std::string>& lines, const std::string& section, const std::string& name,
                    const std::string& fallback) {
  std::string current;
  for (const std::string& line : lines) {
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = line.substr(1, line.size() - 2);
      continue;
    }
    const size_t eq = line.find('=');
    if (current == section && eq != std::string::npos && text::Trim(line.substr(0, eq)) == name)
      return text::Trim(line.substr(eq + 1));
  }
  return fallback;
}

// With graphics.enhanced_assets on, the game plays the enhanced intro from the game data
// folder and holds it open, without delete sharing, while it runs. Returns the
// "[video]" line for received.txt, or "" when enhanced files are off.
std::string OpenEnhancedVideo(const std::vector<std::string>& settings) {
  if (atoi(Setting(settings, "graphics", "enhanced_assets", "0").c_str()) == 0) return "";
  const std::wstring data_dir =
      text::Utf8ToWide(Setting(settings, "launcher", "data_dir", "%USERPROFILE%\\Games\\Kestrane"));
  wchar_t expanded[1024];
  if (!ExpandEnvironmentStringsW(data_dir.c_str(), expanded, 1024)) expanded[0] = 0;
  const std::string path = text::WideToUtf8(expanded) + "\\cache\\enhanced\\uisingle.mp4";
  HANDLE video = CreateFileW(text::Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  // The handle stays open until the process ends.
  return path + (video != INVALID_HANDLE_VALUE ? " open\n" : " missing\n");
}

void WriteReceived(const standin::Steering& steering, const std::vector<std::string>& settings,
                   const std::string& video) {
  std::string out;
  for (const std::string& arg : standin::Args()) out += "[arg] " + arg + "\n";
  wchar_t cwd[1024];
  DWORD n = GetCurrentDirectoryW(1024, cwd);
  out += "[cwd] " + text::WideToUtf8(std::wstring(cwd, n)) + "\n";
  out += "[stdin] " + StreamKind(STD_INPUT_HANDLE) + "\n";
  out += "[stdout] " + StreamKind(STD_OUTPUT_HANDLE) + "\n";
  out += "[stderr] " + StreamKind(STD_ERROR_HANDLE) + "\n";
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* p = block; *p; p += wcslen(p) + 1)
    if (*p != L'=') out += "[env] " + text::WideToUtf8(p) + "\n";  // skip the "=C:" drive entries
  FreeEnvironmentStringsW(block);
  auto handles = steering.find("handle");
  if (handles != steering.end()) {
    for (const std::string& value : handles->second) out += "[handle] " + standin::HandleState(value) + "\n";
  }
  for (const std::string& line : settings) out += "[settings] " + line + "\n";
  if (!video.empty()) out += "[video] " + video;

  const std::wstring path = text::Utf8ToWide(standin::OwnDir() + "received.txt");
  FILE* f = _wfopen((path + L".tmp").c_str(), L"wb");
  if (!f) return;
  fwrite(out.data(), 1, out.size(), f);
  fclose(f);
  MoveFileExW((path + L".tmp").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// The real game's crash handler writes its report and lets Windows end the process with
// the exception code; doing the same here also keeps Wine from starting its debugger.
LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
  const unsigned code = (unsigned)info->ExceptionRecord->ExceptionCode;
  char hex[16];
  snprintf(hex, sizeof hex, "0x%08X", code);
  WriteStderr(std::string("[game] crashed with exception ") + hex);
  if (!g_crash_report_folder.empty()) {
    char name[64];
    time_t now = time(nullptr);
    struct tm parts = {};
    localtime_s(&parts, &now);
    strftime(name, sizeof name, "crash_%Y-%m-%d_%H-%M.txt", &parts);
    std::string home, self = standin::OwnDir();
    standin::Env("USERPROFILE", &home);
    char body[512];
    snprintf(body, sizeof body, "Crash report\nexception %s\nprogram folder %s\nhome %s\n", hex, self.c_str(), home.c_str());
    FILE* f = _wfopen(text::Utf8ToWide(g_crash_report_folder + "\\" + name).c_str(), L"wb");
    if (f) {
      fputs(body, f);
      fclose(f);
    }
  }
  return EXCEPTION_EXECUTE_HANDLER;
}

// Every access is volatile: the compiler must not drop a fault it can prove pointless.
[[noreturn]] void Crash(const std::string& how) {
  volatile int zero = 0, one = 1;
  volatile int* volatile nowhere = nullptr;
  if (how == "access") *nowhere = 1;
  if (how == "divide") zero = one / zero;
  if (how == "breakpoint") DebugBreak();
  ExitProcess(3);  // an unknown kind of crash: a steering mistake
}

// [SECTION] Frame dump

bool Expect(const char* name, const char* wanted) {
  std::string value;
  const bool set = standin::Env(name, &value);
  if (wanted == nullptr ? !set : set && value == wanted) return true;
  standin::Line(std::string("[movie] error: ") + name + (set ? " is \"" + value + "\"" : std::string(" is not set")) +
                (wanted ? std::string(", expected \"") + wanted + "\"" : std::string(", expected it removed")));
  return false;
}

int DumpFrames(const standin::Steering& steering, const std::string& folder) {
  std::string nand;
  const bool environment_ok = Expect("KESTRANE_LAUNCHED", nullptr) & Expect("KESTRANE_VIDEODUMP_QUIT", "1") &
                              Expect("KESTRANE_INPUT", "200:2,600:2") & Expect("KESTRANE_MUTE", "1") &
                              Expect("KESTRANE_HIDEWINDOW", "1") & Expect("KESTRANE_DISPLAY_WINDOW_MODE", "windowed");
  standin::Env("KESTRANE_NAND", &nand);
  const DWORD nand_attributes = GetFileAttributesW(text::Utf8ToWide(nand).c_str());
  const bool nand_ok = nand_attributes != INVALID_FILE_ATTRIBUTES && (nand_attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       standin::CountEntries(nand, true) == 0;
  if (!nand_ok) standin::Line("[movie] error: KESTRANE_NAND is no empty folder: " + nand);
  if (!environment_ok || !nand_ok) return 96;

  standin::Line("[movie] pid " + std::to_string(GetCurrentProcessId()));
  CreateDirectoryW(text::Utf8ToWide(folder).c_str(), nullptr);
  const unsigned frames = (unsigned)strtoul(standin::Value(steering, "dump_frames", "24").c_str(), nullptr, 10);
  const DWORD frame_ms = (DWORD)strtoul(standin::Value(steering, "dump_frame_ms", "5").c_str(), nullptr, 10);
  for (unsigned n = 1; n <= frames; ++n) {
    Sleep(frame_ms);
    char name[32];
    snprintf(name, sizeof name, "\\frame_%05u.png", n);
    if (FILE* f = _wfopen(text::Utf8ToWide(folder + name).c_str(), L"wb")) {
      fprintf(f, "frame %u of the intro\n", n);
      fclose(f);
    }
    char progress[64];
    snprintf(progress, sizeof progress, "[movie] dumped %u/%u", n, frames);
    standin::Line(progress);
  }
  return (int)strtoul(standin::Value(steering, "dump_exit", "0").c_str(), nullptr, 0);
}

// [SECTION] Play

int Play(const standin::Steering& steering) {
  std::string aspect = "unset", launched = "unset";
  standin::Env("KESTRANE_ASPECT", &aspect);
  standin::Env("KESTRANE_LAUNCHED", &launched);
  WriteStderr("[game] started (aspect " + aspect + ", launched " + launched + ")");
  auto lines = steering.find("stderr");
  if (lines != steering.end())
    for (const std::string& line : lines->second) WriteStderr(line);

  const std::string run_ms = standin::Value(steering, "run_ms", "");
  Sleep(run_ms.empty() ? INFINITE : (DWORD)strtoul(run_ms.c_str(), nullptr, 10));
  const std::string crash = standin::Value(steering, "crash", "");
  if (!crash.empty()) Crash(crash);
  const unsigned code = (unsigned)strtoul(standin::Value(steering, "exit", "0").c_str(), nullptr, 0);
  WriteStderr("[game] exiting with code " + std::to_string(code));
  return (int)code;
}

}  // namespace

int main() {
  const standin::Steering steering = standin::ReadSteering(standin::OwnDir() + "game.steer");
  if (standin::Value(steering, "crash_report", "0") == "1") {
    std::string local;
    if (!standin::Env("LOCALAPPDATA", &local)) local = ".";
    g_crash_report_folder = local + "\\Kestrane\\logs";
    CreateDirectoryW(text::Utf8ToWide(local + "\\Kestrane").c_str(), nullptr);
    CreateDirectoryW(text::Utf8ToWide(g_crash_report_folder).c_str(), nullptr);
  }
  SetUnhandledExceptionFilter(OnCrash);
  const std::vector<std::string> settings = ReadSettings();
  std::string frames;
  const bool dump = standin::Env("KESTRANE_VIDEODUMP", &frames) && !frames.empty();
  const std::string video = dump ? "" : OpenEnhancedVideo(settings);
  WriteReceived(steering, settings, video);
  return dump ? DumpFrames(steering, frames) : Play(steering);
}
