// What the launcher knows about the player's dump, derived afresh on every call from
// launcher.dump_path, dump.ini (the importer's record), the game executable and, in a
// source checkout, the source revision. Keeps nothing; any thread may call it.
#pragma once

#include <string>

#include "dump/dump_judgement.h"

struct DumpStatus {
  DumpJudgement judgement;  // of the configured dump, unmeasured; empty when none is configured
  bool configured = false;  // a dump path is known
  bool imported = false;    // dump.ini describes this very dump and says it was verified
  bool built = false;       // the game executable exists
  std::string built_time;   // its last-write time, when built
  std::string source_ref;   // up to 7 characters of the checkout's source revision
};

DumpStatus ReadDumpStatus();
