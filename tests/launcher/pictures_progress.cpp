// The progress screen in each state a player meets: the sample job of the "firstrun"
// shot, the real setup job building, failed at the disc check, failed at the build,
// cancelled, finished with the shortcut boxes, finished as a rebuild, with its log shown,
// and the intro-video enhancement that may go on in the background, or refuses to start.
#include <string>

#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/pictures.h"
#include "tests/support/temp_folder.h"

namespace pictures {
namespace {

// A scene whose shortcuts go to a folder of its own, none there yet.
Scene ShortcutScene(const std::string& name) {
  Scene scene = MakeScene(name);
  testsupport::MakeFolders(scene.root + "\\shortcuts");
  scene.options.env.push_back({"KESTRANE_SHORTCUT_DIR", scene.root + "\\shortcuts"});
  return scene;
}

// ... with a dump the test build verifies, whose folder goes to *dump when asked.
Scene ReadyDumpScene(const std::string& name, std::string* dump = nullptr) {
  Scene scene = ShortcutScene(name);
  const std::string folder = MakeReadyDump(scene, "Wii Games\\Skarvel dump");
  WriteSettings(scene, "[launcher]\ndump_path = " + folder + "\n");
  if (dump) *dump = folder;
  return scene;
}

// The build script the stand-in Python runs: the scene's own lines plus `extra`.
void SteerBuild(const Scene& scene, const std::string& extra) {
  testsupport::WriteFile(scene.root + "\\checkout\\tools\\gametrial\\link.py",
                         "output=" + scene.install + "\\KestraneGame.exe\nline=compiling main\nline=linking\n" + extra);
}

void MakeProgress() {
  Shoot(MakeScene("firstrun"), "firstrun", "firstrun");

  Scene building = ReadyDumpScene("progress-building");
  SteerBuild(building, "spin=1\n");
  ShootWithProbe(building, "progress-setup-running", "progress", {"setup-building"});

  Scene cancelled = ReadyDumpScene("progress-cancelled");
  SteerBuild(cancelled, "spin=1\n");
  ShootWithProbe(cancelled, "progress-cancelled", "progress", {"setup-building", "cancel"});

  Scene other = ShortcutScene("progress-not-supported");
  fixtures::DumpContents europe;
  europe.boot_bin = fixtures::BootBin(fixtures::kEuropeGameId);
  europe.main_dol = fixtures::OtherMainDol();
  WriteSettings(other, "[launcher]\ndump_path = " + fixtures::MakeDump(other.root + "\\europe", europe).chosen + "\n");
  ShootWithProbe(other, "progress-failed-step1", "progress", {"setup"});

  Scene broken = ReadyDumpScene("progress-build-failed");
  SteerBuild(broken, "write_game=0\nexit=1\nline=error: link.py: undefined symbol 'RaceMain'\n");
  ShootWithProbe(broken, "progress-build-failed", "progress", {"setup"});
  // With the details shown the failed step's reason ends the log.
  ShootWithProbe(broken, "progress-build-failed-details", "progress", {"setup", "show-details"});

  Scene first = ReadyDumpScene("progress-finished");
  ShootWithProbe(first, "progress-finished-shortcuts", "progress", {"setup"});

  std::string dump;
  Scene rebuilt = ReadyDumpScene("progress-rebuild", &dump);
  Run(rebuilt, {"--setup", dump});
  ShootWithProbe(rebuilt, "progress-rebuild-finished", "progress", {"rebuild"});

  Scene verbose = ReadyDumpScene("progress-details");
  std::string lines;
  for (int i = 1; i <= 60; ++i) lines += "line=[" + std::to_string(i) + "/60] zig cc -O2 -c src/race/track_" +
                                         std::to_string(i) + ".c -o build/obj/race/track_" + std::to_string(i) + ".o\n";
  SteerBuild(verbose, lines);
  ShootWithProbe(verbose, "progress-show-details", "progress", {"setup", "show-details"});

  Scene enhancing = ReadyDumpScene("progress-enhancing", &dump);
  Run(enhancing, {"--setup", dump});
  SteerEnhancement(enhancing);
  ShootWithProbe(enhancing, "progress-enhance-running", "progress", {"enhance-running"});

  // A cache folder of the player's own in the data folder: the enhancement touches nothing.
  Scene refused = ReadyDumpScene("progress-enhance-refused", &dump);
  Run(refused, {"--setup", dump});
  testsupport::WriteFile(refused.profile + "\\home\\Games\\Kestrane\\cache\\frames\\holiday.png", "a holiday");
  ShootWithProbe(refused, "progress-enhance-refused", "progress", {"enhance"});
}

const Registrar kProgress("progress", MakeProgress);

}  // namespace
}  // namespace pictures
