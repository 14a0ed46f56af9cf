#include "tests/launcher/watchdog_cases.h"

#include <cstdio>

#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/scene.h"
#include "tests/support/temp_folder.h"

namespace launchertest {

const std::vector<std::string>& WatchdogCases() {
  static const std::vector<std::string> kCases = {"held-image", "big-log", "data-move", "job-end", "long-runs"};
  return kCases;
}

WatchdogRun RunWatchdogCase(const std::string& root, const std::string& name) {
  Scene scene = MakeScene(root);
  const std::string logs = scene.profile + "\\local\\Kestrane\\logs";
  std::string settings = "[display]\nbackground_animation = off\n";
  std::vector<std::string> args = {"watchdog", name};
  if (name == "held-image") {
    // dtk waits for a file nobody writes: the image is read until the window closes.
    const std::string image = root + "\\images\\Skarvel (USA).rvz";
    testsupport::MakeFolders(root + "\\images");
    fixtures::MakeDiscImage(image);
    scene.options.env.push_back({"STANDIN_DTK_WAIT_FOR", root + "\\never"});
    settings += "[launcher]\ndump_path = " + image + "\n";
  } else if (name == "big-log") {
    // 20 MB of log lines naming the player's home folder, all to be scrubbed.
    std::string line = "2026-12-10 08:15:00 [game] loaded " + scene.profile + "\\home\\Saves\\slot1.sav\n";
    std::string log;
    while (log.size() < (20u << 20)) log += line;
    testsupport::WriteFile(logs + "\\kestrane_log.txt", log);
  } else if (name == "data-move") {
    settings += "[launcher]\ndata_dir = " + root + "\\data\n";
    args.push_back(root + "\\moved data");
  } else if (name == "job-end") {
    settings += "[launcher]\ndump_path = " + MakeReadyDump(scene, "Wii Games\\Skarvel dump") + "\n";
  } else if (name == "long-runs") {
    std::string runs;
    while (runs.size() < (12u << 20)) runs += "2026-12-01 18:02\t30\t00000000\tOK\t1\n";
    testsupport::WriteFile(logs + "\\runs.tsv", runs);
  }
  testsupport::WriteFile(SettingsFileOf(scene), settings);
  WatchdogRun run;
  run.result = RunInScene(scene, args, "launcher_probe.exe");
  const size_t at = run.result.out.find("longest wait: ");
  if (at != std::string::npos) sscanf(run.result.out.c_str() + at, "longest wait: %lf", &run.longest_ms);
  return run;
}

}  // namespace launchertest
