// A launcher installed the way a player has it, for end-to-end tests and the pictures: the
// test build as Kestrane.exe in a source checkout with the fonts, the stand-in import.exe,
// Python, zig, enhancer and dtk, the probe, and a player profile of its own.
#pragma once

#include <string>

#include "tests/support/child_run.h"

namespace launchertest {

struct Scene {
  std::string root;     // the scene's folder
  std::string install;  // root\checkout\bin, holding Kestrane.exe and launcher_probe.exe
  std::string profile;  // root\profile: LOCALAPPDATA and USERPROFILE live here
  testsupport::ChildOptions options;  // for running programs of the install with this profile
  bool ok = false;      // everything was copied
};

// The build script the stand-in Python runs writes the stand-in game as the build.
Scene MakeScene(const std::string& root);
// A fixture dump at root\relative that the test build verifies; returns the folder to choose.
std::string MakeReadyDump(const Scene& scene, const std::string& relative);
// Runs a program of the install (Kestrane.exe by default) with the scene's profile.
testsupport::ChildResult RunInScene(const Scene& scene, const std::vector<std::string>& args,
                                    const std::string& program = "Kestrane.exe");
std::string SettingsFileOf(const Scene& scene);

}  // namespace launchertest
