// Stands in for import.exe, run as "import.exe <dump folder>" from the launcher's folder.
// It finds the dump's files folder (DATA\files, files or the folder itself, holding
// tocres.res), prints what it reads, and records the dump in dump.ini in the per-user
// folder (%LOCALAPPDATA%\Kestrane) the way the real importer does. Steered by
// import.steer next to it, key=value lines:
//   line=TEXT        printed first, in order (repeatable)
//   sets=TEXT        the summary after "sets: " (default "3 ok, 0 failed, 1234 resources");
//                    "none" prints no summary
//   error=TEXT       prints "error: TEXT" instead of a summary
//   verified=0       records the dump as not verified
//   record=0         writes no dump.ini
//   spin=1           keeps importing with a grandchild until killed
//   exit=N           exit code (default 0)
// It always reports "[args] <dump folder>" and "[cwd] <working folder>" first.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/local_time.h"
#include "platform/text.h"
#include "tests/tools/standin.h"

namespace {

bool IsFile(const std::string& path) {
  DWORD a = GetFileAttributesW(text::Utf8ToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPath(const std::string& path) {
  wchar_t buffer[1024];
  DWORD n = GetFullPathNameW(text::Utf8ToWide(path).c_str(), 1024, buffer, nullptr);
  return n == 0 || n >= 1024 ? path : text::WideToUtf8(std::wstring(buffer, n));
}

// The files folder and main.dol of the dump at `folder`, or false.
bool FindDump(const std::string& folder, std::string* files, std::string* dol) {
  const char* const kLayouts[][2] = {
      {"\\DATA\\files", "\\DATA\\sys\\main.dol"},
      {"\\files", "\\sys\\main.dol"},
      {"", "\\..\\sys\\main.dol"},
  };
  for (const auto& layout : kLayouts) {
    if (!IsFile(folder + layout[0] + "\\tocres.res")) continue;
    *files = FullPath(folder + layout[0]);
    *dol = FullPath(folder + layout[1]);
    return true;
  }
  return false;
}

// Written whole to a .tmp file and moved, so a reader never sees half a record.
bool RecordDump(const std::string& contents) {
  std::string local;
  if (!standin::Env("LOCALAPPDATA", &local)) local = ".";
  std::string folder = local + "\\Kestrane";
  CreateDirectoryW(text::Utf8ToWide(folder).c_str(), nullptr);
  std::wstring path = text::Utf8ToWide(folder + "\\dump.ini");
  std::wstring tmp = path + L".tmp";
  FILE* f = _wfopen(tmp.c_str(), L"wb");
  if (!f) return false;
  bool ok = fwrite(contents.data(), 1, contents.size(), f) == contents.size();
  ok = fclose(f) == 0 && ok;
  return ok && MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int main(int argc, char** argv) {
  standin::RunSpinChildIfAsked(argc, argv);
  std::vector<std::string> args = standin::Args();
  standin::Steering steering = standin::ReadSteering(standin::OwnDir() + "import.steer");
  if (args.size() != 2) {
    standin::Line("error: usage: import <dump folder>");
    return 2;
  }
  standin::Line("[args] " + args[1]);
  wchar_t cwd[1024];
  DWORD n = GetCurrentDirectoryW(1024, cwd);
  standin::Line("[cwd] " + text::WideToUtf8(std::wstring(cwd, n)));
  auto lines = steering.find("line");
  if (lines != steering.end())
    for (const std::string& line : lines->second) standin::Line(line);
  if (standin::Value(steering, "spin", "0") == "1") standin::SpinWithGrandchild("import");

  std::string files, dol;
  if (!FindDump(args[1], &files, &dol)) {
    standin::Line("error: no tocres.res under " + args[1]);
    return 4;
  }
  standin::Line("[1/1] " + files + "\\tocres.res");
  const std::string error = standin::Value(steering, "error", "");
  const std::string sets = standin::Value(steering, "sets", "3 ok, 0 failed, 1234 resources");
  if (!error.empty()) {
    standin::Line("error: " + error);
  } else if (sets != "none") {
    standin::Line("sets: " + sets);
  }
  if (standin::Value(steering, "record", "1") == "1") {
    int ok = 0, failed = 0;
    long long resources = 0;
    sscanf(sets.c_str(), "%d ok, %d failed, %lld resources", &ok, &failed, &resources);
    std::string record = "disc=" + files + "\ndol=" + dol + "\nverified=" + standin::Value(steering, "verified", "1") +
                         "\nsets=" + std::to_string(ok) + "\nresources=" + std::to_string(resources) +
                         "\nimported=" + local_time::Now("%Y-%m-%d %H:%M:%S") + "\n";
    if (!RecordDump(record)) {
      standin::Line("error: can't write dump.ini");
      return 5;
    }
  }
  return atoi(standin::Value(steering, "exit", "0").c_str());
}
