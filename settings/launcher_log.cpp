#include "settings/launcher_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "platform/files.h"
#include "platform/local_time.h"
#include "settings/install_layout.h"
#include "settings/product.h"
#include "settings/settings_store.h"

namespace {
const char kTimeFormat[] = "%Y-%m-%d %H:%M:%S";
}

std::string LogsFolder() {
  std::string dir = InstallLayout::LocalDir() + "\\logs";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::string ErrorLogPath() { return LogsFolder() + "\\kestrane_log.txt"; }

void LogLine(const char* format, ...) {
  if (SettingsStore::GetInt("launcher.error_log") == 0) return;
  FILE* f = fopen(ErrorLogPath().c_str(), "a");
  if (!f) return;
  fprintf(f, "%s ", local_time::Now(kTimeFormat).c_str());
  va_list args;
  va_start(args, format);
  vfprintf(f, format, args);
  va_end(args);
  fputc('\n', f);
  fclose(f);
}

void StartGameLog(const char* aspect) {
  const std::string path = ErrorLogPath();
  DeleteFileA((path + ".4").c_str());
  for (int n = 3; n >= 1; --n) {
    std::string from = path + "." + std::to_string(n);
    std::string to = path + "." + std::to_string(n + 1);
    MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  MoveFileExA(path.c_str(), (path + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);

  // A log still here couldn't be moved (a program following it holds it open): the new
  // run continues it rather than emptying the previous run's lines.
  FILE* f = fopen(path.c_str(), files::Exists(path) ? "a" : "w");
  if (!f) return;  // the game still starts; its standard error then goes nowhere
  std::string now = local_time::Now(kTimeFormat);
  fprintf(f, "%s %s %s, launcher %s\n", now.c_str(), product::kName, product::kVersion,
          product::kLauncherVersion);
  now = local_time::Now(kTimeFormat);
  fprintf(f, "%s [launcher] starting %s (aspect %s)\n", now.c_str(), product::kGameExeName, aspect);
  fclose(f);
}
