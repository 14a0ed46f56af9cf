// Which Python and which zig build the game: the pair in the launcher's tools folder
// when both are there, else whatever this PC has (a developer setup).
#pragma once

#include <string>

struct ToolchainPaths {
  std::string python;  // empty when no usable Python (3.11 or newer) was found
  // Empty when none was found; "(winget)" when zig should come from a WinGet package,
  // which the build script finds by itself.
  std::string zig;
  bool fromToolsFolder = false;  // both came from the launcher's tools folder
};

struct CancelToken;  // process/cancel_token.h

// Runs on the setup job's thread; may run the Python version probe as a tool, which
// `cancel` (may be null) ends. A cancelled probe finds no Python.
ToolchainPaths FindToolchain(CancelToken* cancel);

// FindToolchain for a launcher living in `launcherDir` (ending in a backslash).
ToolchainPaths FindToolchainFrom(const std::string& launcherDir, CancelToken* cancel);

// Whether a zig path is a real path to hand to the build script (not a marker).
bool IsZigPath(const std::string& zig);
