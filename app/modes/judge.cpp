// --judge PATH: the verdict on one dump folder or disc image; the exit status is its kind.
// A dump whose main.dol was changed also gets the retail digest on a line of its own.
#include <windows.h>

#include <cstdio>

#include "app/modes/modes.h"
#include "dump/dump_judgement.h"
#include "launcher/dump_texts.h"
#include "platform/text.h"

int RunJudgeMode(const std::string& path) {
  const ULONGLONG start = GetTickCount64();
  const DumpJudgement j = ClassifyDump(path);
  const unsigned long long elapsed = GetTickCount64() - start;
  // The label and detail go out as UTF-8 like every other field: "%ls" would convert them
  // through the C locale and stop at the first non-ASCII character (a user's folder name).
  printf("kind %d (%s) in %llu ms\n%s\n%s\nfiles %s\ndol %s\nsha1 %s id %s bytes %lld\n", j.kind,
         DumpKindName(j.kind), elapsed, text::WideToUtf8(DumpLabel(j)).c_str(), text::WideToUtf8(DumpDetail(j)).c_str(),
         j.files_dir.c_str(), j.dol_path.c_str(), j.sha1.c_str(), j.game_id.c_str(), (long long)j.bytes);
  // Beside the found digest, so a player can compare both with the lists of known dumps.
  if (MainDolChanged(j)) printf("expected sha1 %s\n", kExpectedMainDolSha1);
  fflush(stdout);
  return j.kind;
}
