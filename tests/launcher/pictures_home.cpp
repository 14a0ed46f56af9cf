// Home in each state a player meets: no dump, a dump that isn't the supported disc, a
// USA dump whose main.dol was changed, a dump that moved away, a disc image still being
// read, ready, ready after a crash (with and without the safe-settings link, and with its
// long toast), and with the intro video being enhanced.
#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/pictures.h"
#include "tests/support/temp_folder.h"

namespace pictures {
namespace {

// A scene set up through the stand-ins: the dump chosen, indexed and built.
Scene ReadyScene(const std::string& name) {
  Scene scene = MakeScene(name);
  const std::string dump = MakeReadyDump(scene, "Wii Games\\Skarvel dump");
  Run(scene, {"--setup", dump});
  return scene;
}

void WriteRuns(const Scene& scene, const std::string& lines) {
  testsupport::WriteFile(scene.profile + "\\local\\Kestrane\\logs\\runs.tsv", lines);
}

void MakeHome() {
  Shoot(MakeScene("home-no-dump"), "home-no-dump", "home");

  Scene other = MakeScene("home-not-supported");
  fixtures::DumpContents europe;
  europe.boot_bin = fixtures::BootBin(fixtures::kEuropeGameId);
  europe.main_dol = fixtures::OtherMainDol();
  const std::string europe_dump = fixtures::MakeDump(other.root + "\\europe", europe).chosen;
  WriteSettings(other, "[launcher]\ndump_path = " + europe_dump + "\n");
  Shoot(other, "home-not-supported", "home");

  // The disc says RKVE01 but its main.dol was changed; Game files shows both digests.
  Scene changed = MakeScene("home-main-dol-changed");
  fixtures::DumpContents modified;
  modified.main_dol = fixtures::OtherMainDol();
  const std::string changed_dump = fixtures::MakeDump(changed.root + "\\changed", modified).chosen;
  WriteSettings(changed, "[launcher]\ndump_path = " + changed_dump + "\n");
  Shoot(changed, "home-main-dol-changed", "home");
  Shoot(changed, "settings-files-main-dol-changed", "settings:files");

  Scene moved = MakeScene("home-dump-moved");
  WriteSettings(moved, "[launcher]\ndump_path = " + moved.root + "\\a folder that was moved away\n");
  Shoot(moved, "home-dump-moved", "home");

  // dtk waits for a file nobody writes: the image is still being read when the shot is made.
  Scene checking = MakeScene("home-checking");
  const std::string image = checking.root + "\\images\\Skarvel (USA).rvz";
  testsupport::MakeFolders(checking.root + "\\images");
  fixtures::MakeDiscImage(image);
  checking.options.env.push_back({"STANDIN_DTK_WAIT_FOR", checking.root + "\\never"});
  WriteSettings(checking, "[launcher]\ndump_path = " + image + "\n");
  ShootWithProbe(checking, "home-checking", "home", {"unsettled"});

  Scene ready = ReadyScene("home-ready");
  Shoot(ready, "home-ready", "home");

  // A crash whose log was kept, with graphics settings that differ from the safe ones.
  Scene crashed = ReadyScene("home-crashed");
  WriteRuns(crashed, "2026-12-08 20:14\t95\t00000000\tOK\t1\n2026-12-09 21:02\t312\tc0000005\tCrashed\t1\n");
  WriteSettings(crashed, "[graphics]\ninternal_scale = 3\nmsaa = 4\n[launcher]\nerror_log = 1\n");
  Shoot(crashed, "home-crashed-safe-link", "home");
  ShootWithProbe(crashed, "home-crashed-safe-toast", "home",
                 {"toast=Safe settings on: anti-aliasing off, render resolution 1x, enhanced files off. Change them "
                  "in Graphics."});
  // Stopped with the game's own code and no log kept; the graphics are the safe ones.
  WriteRuns(crashed, "2026-12-09 21:02\t41\t00000060\tStopped\t0\n");
  WriteSettings(crashed, "");
  Shoot(crashed, "home-crashed-no-log", "home");

  Scene enhancing = ReadyScene("home-enhancing");
  SteerEnhancement(enhancing);
  ShootWithProbe(enhancing, "home-enhancing", "home", {"enhance-running"});
}

const Registrar kHome("home", MakeHome);

}  // namespace
}  // namespace pictures
