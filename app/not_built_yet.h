// For modes whose work has not landed in this build yet.
#pragma once

#include <cstdio>

// Prints "<mode> isn't in this build yet" on standard error; returns exit status 1.
inline int NotBuiltYet(const char* mode) {
  fprintf(stderr, "%s isn't in this build yet\n", mode);
  fflush(stderr);
  return 1;
}
