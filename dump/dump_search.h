// The background search for dumps in the places extracted discs usually end up: the
// player's Downloads, Desktop and Documents (and their OneDrive copies), and the
// neighbourhood of the dump configured before. One search runs at a time on its own
// thread; the disc chooser polls its status and results each frame.
#pragma once

#include <string>
#include <vector>

#include "dump/dump_judgement.h"

// A judgement from ClassifyDump, with its kind filled.
using DumpCandidate = DumpJudgement;

namespace DumpSearch {

// Starts a search unless one is running; true when this call started it. `configured` is
// the dump chosen before (ConfiguredDumpPath), whose folder and siblings are searched too;
// "" for none.
bool Start(const std::string& configured);
// Asks a running search to end at its next folder and waits up to `timeoutMs` for it.
// What a stopped search found is dropped: the results and status stay those of the last
// finished search. True when no search runs any more.
bool Stop(unsigned timeoutMs);
// Waits up to `timeoutMs` for a running search to finish by itself; true when none runs.
bool WaitForEnd(unsigned timeoutMs);
bool IsRunning();
// The last finished search's candidates, ready ones first (kept while a new one runs).
std::vector<DumpCandidate> Results();
// The chooser's status line.
std::wstring Status();

}  // namespace DumpSearch

namespace DumpSearchTesting {

// While `gate` (an event) is set and unsignalled, a started search waits before it looks
// anywhere (a Stop ends the wait), so tests can act while one is running. nullptr removes
// the gate.
void SetGate(void* gate);

}  // namespace DumpSearchTesting
