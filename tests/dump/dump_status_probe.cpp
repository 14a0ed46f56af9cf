// Prints the dump status as the launcher would derive it from where this program is, or,
// with "together IMAGE IMAGE", judges two disc images on two threads at once and prints
// each one's main.dol digest.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "dump/dump_judgement.h"
#include "dump/dump_records.h"

namespace {

struct Judging {
  const char* path;
  DumpJudgement judgement;
};

DWORD WINAPI Judge(LPVOID param) {
  auto* j = static_cast<Judging*>(param);
  j->judgement = JudgeDump(j->path, false);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && strcmp(argv[1], "together") == 0) {
    Judging first{argv[2], {}}, second{argv[3], {}};
    HANDLE a = CreateThread(nullptr, 0, Judge, &first, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, Judge, &second, 0, nullptr);
    if (!a || !b) return 2;
    WaitForSingleObject(a, INFINITE);
    WaitForSingleObject(b, INFINITE);
    printf("first %s %s\n", first.judgement.sha1.c_str(), first.judgement.message.c_str());
    printf("second %s %s\n", second.judgement.sha1.c_str(), second.judgement.message.c_str());
    return 0;
  }
  DumpStatus s = ReadDumpStatus();
  printf("configured %d imported %d built %d\n", s.configured, s.imported, s.built);
  printf("source_ref [%s]\n", s.source_ref.c_str());
  return 0;
}
