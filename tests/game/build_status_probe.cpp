// Prints the build status as the launcher would read it from where this program is.
#include <cstdio>

#include "game/build_status.h"

int main() {
  const BuildStatus s = ReadBuildStatus();
  printf("built %d source_ref [%s]\n", s.built ? 1 : 0, s.source_ref.c_str());
  return 0;
}
