// --help, -h, /?: what Kestrane.exe accepts, on standard output.
#include <cstdio>

#include "app/modes/modes.h"
#include "app/modes/usage.h"

int RunHelpMode() {
  fputs(kUsage, stdout);
  fflush(stdout);
  return 0;
}
