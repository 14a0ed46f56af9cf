// The background search for dumps in the places extracted discs usually end up: the
// player's Downloads, Desktop and Documents (and their OneDrive copies), and the
// neighbourhood of the dump configured before. One search runs at a time on its own
// thread; the disc chooser polls its status and results each frame.
#pragma once

#include <string>
#include <vector>

#include "dump/dump_judgement.h"

// A judgement from ClassifyDump: kind, label and detail are filled.
using DumpCandidate = DumpJudgement;

namespace DumpSearch {

// Starts a search unless one is running; true when this call started it.
bool Start();
bool IsRunning();
// The last finished search's candidates, ready ones first (kept while a new one runs).
std::vector<DumpCandidate> Results();
// The chooser's status line.
std::wstring Status();

}  // namespace DumpSearch

namespace DumpSearchTesting {

// While `gate` (an event) is set and unsignalled, a started search waits before it looks
// anywhere, so tests can act while one is running. nullptr removes the gate.
void SetGate(void* gate);

}  // namespace DumpSearchTesting
