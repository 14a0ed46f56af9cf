#include "jobs/toolchain.h"

#include <windows.h>

#include <cstdio>

#include "platform/env.h"
#include "platform/files.h"
#include "platform/text.h"
#include "process/child_process.h"
#include "settings/install_layout.h"

namespace {

const char kWinGetMarker[] = "(winget)";

// SearchPathA's answer when it fits its buffer; 0 is "not found" and 260 or more means
// the path would have been cut.
std::string SearchProgram(const char* name) {
  char buffer[260];
  DWORD n = SearchPathA(nullptr, name, nullptr, sizeof buffer, buffer, nullptr);
  if (n < 1 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

// Isolated mode, so a player's PYTHONPATH or a stray site-packages can't answer for it.
bool PythonIsNewEnough(const std::string& python, const std::string& launcherDir, CancelToken* cancel) {
  std::wstring cmd = QuoteArgument(text::Utf8ToWide(python)) +
                     L" -I -c \"import sys; print('py', *sys.version_info[:2])\"";
  std::string answer;
  uint32_t code = ChildProcess::Run(cmd, launcherDir, {}, [&](const std::string& line) { answer += line; }, cancel);
  int major = 0, minor = 0;
  if (code != 0 || sscanf(answer.c_str(), "py %d %d", &major, &minor) != 2) return false;
  return major > 3 || (major == 3 && minor >= 11);
}

}  // namespace

bool IsZigPath(const std::string& zig) { return !zig.empty() && zig[0] != '('; }

ToolchainPaths FindToolchainFrom(const std::string& launcherDir, CancelToken* cancel) {
  const std::string tools_python = launcherDir + "tools\\python\\python.exe";
  const std::string tools_zig = launcherDir + "tools\\zig\\zig.exe";
  const bool have_python = files::IsFile(tools_python);
  const bool have_zig = files::IsFile(tools_zig);

  ToolchainPaths paths;
  if (have_python && have_zig) {
    paths.python = tools_python;
    paths.zig = tools_zig;
    paths.fromToolsFolder = true;
    return paths;
  }

  paths.python = have_python ? tools_python : SearchProgram("python.exe");
  if (!paths.python.empty() && !PythonIsNewEnough(paths.python, launcherDir, cancel)) paths.python.clear();

  if (have_zig) {
    paths.zig = tools_zig;
  } else if (!env::Get("ZIG", &paths.zig) || paths.zig.empty()) {
    paths.zig = SearchProgram("zig.exe");
  }
  std::string local;
  if (paths.zig.empty() && env::Get("LOCALAPPDATA", &local) &&
      files::IsFolder(local + "\\Microsoft\\WinGet\\Packages")) {
    paths.zig = kWinGetMarker;
  }
  return paths;
}

ToolchainPaths FindToolchain(CancelToken* cancel) { return FindToolchainFrom(InstallLayout::ExeDir(), cancel); }
