// What the launcher knows about the player's dump, derived afresh on every call from the
// dump's path (as the caller has it from launcher.dump_path) and dump.ini, the importer's
// record. Keeps nothing; any thread may call it.
#pragma once

#include <string>

#include "dump/dump_judgement.h"

struct DumpStatus {
  DumpJudgement judgement;  // of the configured dump, unmeasured; empty when none is configured
  bool configured = false;  // a dump path is known
  bool imported = false;    // dump.ini describes this very dump and says it was verified
};

struct CancelToken;  // process/cancel_token.h

// The dump the player has chosen: `chosen` (the setting), else the folder above the files
// folder dump.ini names; "" when neither says. Reads dump.ini only.
std::string ConfiguredDumpPath(const std::string& chosen);

// Judges the dump at `path` (ConfiguredDumpPath's answer; "" for none), which may extract
// a disc image first: minutes. Never on the window's thread. A cancel through `cancel`
// ends an extraction, and the dump then counts as not found.
DumpStatus ReadDumpStatus(const std::string& path, CancelToken* cancel = nullptr);
