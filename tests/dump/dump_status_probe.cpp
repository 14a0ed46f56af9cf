// Prints the dump status as the launcher would derive it from where this program is.
#include <cstdio>

#include "dump/dump_records.h"

int main() {
  DumpStatus s = ReadDumpStatus();
  printf("configured %d imported %d built %d\n", s.configured, s.imported, s.built);
  printf("source_ref [%s]\n", s.source_ref.c_str());
  return 0;
}
