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

struct CancelToken;  // process/cancel_token.h

// The dump the player has chosen: launcher.dump_path, else the folder above the files
// folder dump.ini names; "" when neither says. Reads the setting and dump.ini only.
std::string ConfiguredDumpPath();

// The build's half of the status (built, built_time, source_ref): a look at the game
// executable and the checkout's revision file, no judgement.
void ReadBuildStatus(DumpStatus* status);

// Judges the configured dump (a disc image may be extracted first: minutes) and reads
// the build's state. Never on the window's thread. A cancel through `cancel` ends an
// extraction, and the dump then counts as not found.
DumpStatus ReadDumpStatus(CancelToken* cancel = nullptr);
