// The disc chooser in each state a player meets: nothing configured and nothing found,
// one dump of each kind found, four found (three rows) with a verified dump configured,
// a dropped incomplete folder with its toast, a USA dump whose main.dol was changed
// (with the digests; three of them; dropped with nothing found), a disc image still
// being read, and the how-to panel.
#include <string>

#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/pictures.h"
#include "tests/support/temp_folder.h"

namespace pictures {
namespace {

std::string Home(const Scene& scene, const std::string& relative) { return scene.profile + "\\home\\" + relative; }

std::string EuropeDump(const std::string& root) {
  fixtures::DumpContents europe;
  europe.boot_bin = fixtures::BootBin(fixtures::kEuropeGameId);
  europe.main_dol = fixtures::OtherMainDol();
  return fixtures::MakeDump(root, europe).chosen;
}

// A USA disc whose main.dol was changed (modified or damaged).
std::string ChangedDump(const std::string& root) {
  fixtures::DumpContents changed;
  changed.main_dol = fixtures::OtherMainDol();
  return fixtures::MakeDump(root, changed).chosen;
}

// Looks like an extracted disc to the search (sys\main.dol) but has no game files.
std::string IncompleteDump(const std::string& root) {
  fixtures::DumpContents incomplete;
  incomplete.tocres = false;
  return fixtures::MakeDump(root, incomplete).chosen;
}

void MakeChooser() {
  Shoot(MakeScene("chooser-empty"), "chooser-first-run-empty", "disc");

  Scene each = MakeScene("chooser-each");
  fixtures::MakeDump(Home(each, "Downloads\\Skarvel (USA)"));
  EuropeDump(Home(each, "Desktop\\Skarvel PAL"));
  IncompleteDump(Home(each, "Documents\\Dolphin\\half extracted"));
  Shoot(each, "chooser-one-of-each", "disc");

  Scene four = MakeScene("chooser-four");
  const std::string configured = fixtures::MakeDump(Home(four, "Downloads\\Wii\\Skarvel")).chosen;
  fixtures::MakeDump(Home(four, "Desktop\\Skarvel backup"));
  EuropeDump(Home(four, "Documents\\Skarvel PAL"));
  IncompleteDump(Home(four, "Documents\\old copy"));
  Run(four, {"--setup", configured});
  Shoot(four, "chooser-four-candidates", "disc");

  Scene dropped = MakeScene("chooser-dropped");
  fixtures::MakeDump(Home(dropped, "Downloads\\Skarvel (USA)"));
  const std::string half = IncompleteDump(dropped.root + "\\USB stick\\skarvel");
  ShootWithProbe(dropped, "chooser-dropped-incomplete", "chooser", {"choose=" + half});

  Scene changed = MakeScene("chooser-changed");
  ChangedDump(Home(changed, "Downloads\\Skarvel (USA)"));
  fixtures::MakeDump(Home(changed, "Desktop\\Skarvel backup"));
  Shoot(changed, "chooser-main-dol-changed", "disc");

  // Three changed dumps: the rows with their digests leave the drop zone room.
  Scene three = MakeScene("chooser-three-changed");
  for (const char* where : {"Downloads\\Skarvel", "Desktop\\Skarvel", "Documents\\Skarvel"})
    ChangedDump(Home(three, where));
  Shoot(three, "chooser-three-changed", "disc");

  // Nothing found, one dropped: no "found these" beside "0 found".
  Scene alone = MakeScene("chooser-dropped-alone");
  const std::string mine = ChangedDump(alone.root + "\\USB stick\\skarvel");
  ShootWithProbe(alone, "chooser-dropped-none-found", "chooser", {"choose=" + mine});

  Scene judging = MakeScene("chooser-judging");
  fixtures::MakeDump(Home(judging, "Downloads\\Skarvel (USA)"));
  const std::string image = judging.root + "\\Disc images\\Skarvel (USA).rvz";
  testsupport::MakeFolders(judging.root + "\\Disc images");
  fixtures::MakeDiscImage(image);
  // The picture is taken before any verdict is applied, whatever the reader's speed.
  ShootWithProbe(judging, "chooser-judging", "chooser", {"choose-pending=" + image});

  Scene how_to = MakeScene("chooser-how-to");
  fixtures::MakeDump(Home(how_to, "Downloads\\Skarvel (USA)"));
  ShootWithProbe(how_to, "chooser-how-to", "chooser", {"how-to"});
}

const Registrar kChooser("chooser", MakeChooser);

}  // namespace
}  // namespace pictures
