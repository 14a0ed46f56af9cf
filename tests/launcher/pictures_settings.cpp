// The Settings screen: all nine pages of a set-up game, and the states worth judging on
// their own: a fresh profile, rows overridden by environment variables, a full run list
// with every outcome and a rotated-out log, the "native" preview, an enhanced intro, a
// scrolled page (at the minimum window size among the others) and a data-folder move.
#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/pictures.h"
#include "tests/support/temp_folder.h"

namespace pictures {
namespace {

const char* const kPages[] = {"files", "display", "graphics", "audio", "controls",
                              "language", "builds", "logs", "about"};

Scene ReadyScene(const std::string& name) {
  Scene scene = MakeScene(name);
  const std::string dump = MakeReadyDump(scene, "Wii Games\\Skarvel dump");
  Run(scene, {"--setup", dump});
  return scene;
}

std::string LogsFolder(const Scene& scene) { return scene.profile + "\\local\\Kestrane\\logs"; }

void MakeSettings() {
  Scene ready = ReadyScene("settings-ready");
  for (const char* page : kPages) Shoot(ready, std::string("settings-") + page, std::string("settings:") + page);

  Scene fresh = MakeScene("settings-fresh");
  Shoot(fresh, "settings-files-no-disc", "settings:files");
  Shoot(fresh, "settings-logs-no-runs", "settings:logs");

  // Overridden rows: "set by" under the label and a taller row; on Logs the session line.
  Scene overridden = ReadyScene("settings-overridden");
  overridden.options.env.push_back({"KESTRANE_ASPECT", "4:3"});
  overridden.options.env.push_back({"KESTRANE_DISPLAY_VSYNC", "0"});
  overridden.options.env.push_back({"KESTRANE_ERROR_LOG", "0"});
  Shoot(overridden, "settings-display-overridden", "settings:display");
  Shoot(overridden, "settings-logs-overridden", "settings:logs");

  // Ten runs: every outcome colour, logs kept and not, a crash report, logs rotated out.
  Scene runs = ReadyScene("settings-runs");
  testsupport::WriteFile(LogsFolder(runs) + "\\runs.tsv",
                         "2026-12-01 18:02\t30\t00000000\tOK\t1\n"
                         "2026-12-02 19:40\t845\tc00000fd\tCrashed\t1\n"
                         "2026-12-03 20:11\t12\t00000060\tStopped\t1\n"
                         "2026-12-04 21:30\t2710\t00000000\tOK\t1\n"
                         "2026-12-05 17:45\t95\t00000063\tStopped\t0\n"
                         "2026-12-06 22:05\t3600\t00000000\tOK\t1\n"
                         "2026-12-07 20:14\t41\tc0000005\tCrashed\t0\n"
                         "2026-12-08 20:20\t1203\t00000000\tOK\t1\n"
                         "2026-12-09 21:02\t312\tc0000409\tCrashed\t1\n"
                         "2026-12-10 08:15\t7\t0000002a\tStopped\t1\n");
  testsupport::WriteFile(LogsFolder(runs) + "\\crash_2026-12-07_20-15.txt", "access violation\n");
  for (const char* log : {"kestrane_log.txt", "kestrane_log.txt.1", "kestrane_log.txt.2", "kestrane_log.txt.3",
                          "kestrane_log.txt.4"})
    testsupport::WriteFile(LogsFolder(runs) + "\\" + log, "2026-12-10 08:15:00 [launcher] game started\n");
  Shoot(runs, "settings-logs-runs", "settings:logs");

  // Steering with keys: the help speaks of arrows, which the interface face lacks.
  Scene keys = MakeScene("settings-keys");
  WriteSettings(keys, "[controls]\nsteer_source = keys\ntilt_sensitivity = 135\n");
  Shoot(keys, "settings-controls-keys", "settings:controls");

  Scene native = ReadyScene("settings-native");
  WriteSettings(native, "[display]\naspect = native\nwindow_mode = windowed\n");
  Shoot(native, "settings-display-native", "settings:display");

  Scene enhanced = ReadyScene("settings-enhanced");
  testsupport::WriteFile(enhanced.profile + "\\home\\Games\\Kestrane\\cache\\enhanced\\uisingle.mp4",
                         std::string(3 << 20, 'v'));
  WriteSettings(enhanced, "[graphics]\nenhanced_assets = 1\n");
  Shoot(enhanced, "settings-graphics-enhanced", "settings:graphics");
  ShootWithProbe(enhanced, "settings-graphics-scrolled", "settings:graphics", {"scroll=400"});

  ShootWithProbe(ready, "settings-files-moving", "settings:files", {"moving-data=E:\\Games\\Kestrane data"});
}

const Registrar kSettings("settings", MakeSettings);

}  // namespace
}  // namespace pictures
