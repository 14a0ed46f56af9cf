// "together IMAGE IMAGE": judges two disc images on two threads at once, as the launcher
// installed where this program is would, and prints each one's main.dol digest.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "dump/dump_judgement.h"

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
  if (argc != 4 || strcmp(argv[1], "together") != 0) return 2;
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
