// Times the dump search over a profile folder: dump_search_bench PROFILE [RUNS].
// Per-user folders go next to the profile, so no real settings or dump.ini are read.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "dump/dump_search.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: dump_search_bench PROFILE [RUNS]\n");
    return 2;
  }
  const std::string profile = argv[1];
  const int runs = argc > 2 ? atoi(argv[2]) : 3;
  SetEnvironmentVariableA("USERPROFILE", profile.c_str());
  SetEnvironmentVariableA("LOCALAPPDATA", (profile + "-local").c_str());
  SetEnvironmentVariableA("KESTRANE_SETTINGS_FILE", nullptr);
  CreateDirectoryA((profile + "-local").c_str(), nullptr);

  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    DumpSearch::Start("");
    while (DumpSearch::IsRunning()) Sleep(1);
    QueryPerformanceCounter(&t1);
    printf("search %d: %.1f ms, %zu found\n", i + 1, 1000.0 * (double)(t1.QuadPart - t0.QuadPart) / (double)freq.QuadPart,
           DumpSearch::Results().size());
  }
  return 0;
}
