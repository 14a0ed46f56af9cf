// Writes the fixture dump into a folder: make_fixture_dump FOLDER. It is the disc the test
// builds of the launcher expect, so KestraneTestBuild.exe judges it "ready" and the shipped
// Kestrane.exe "not supported". scripts/make-fixture-dump.sh runs it for people trying
// the launcher out.
#include <cstdio>

#include "tests/fixtures/dump_fixture.h"
#include "tests/support/temp_folder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: make_fixture_dump FOLDER\n");
    return 2;
  }
  const fixtures::MadeDump dump = fixtures::MakeDump(argv[1]);
  // MakeDump doesn't report failed writes; what was written is checked instead.
  if (testsupport::ReadFile(dump.dol_path) != fixtures::FixtureMainDol() ||
      !testsupport::PathExists(dump.files_dir + "\\tocres.res")) {
    fprintf(stderr, "Could not write the fixture dump into %s.\n", argv[1]);
    return 1;
  }
  printf("Wrote a fixture dump into %s (main.dol SHA-1 %s).\n", dump.root.c_str(), fixtures::kFixtureMainDolSha1);
  return 0;
}
