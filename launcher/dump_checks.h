// One background worker for every dump judgement the window asks for. Judging a disc
// image extracts it through dtk, which takes minutes for a full disc; on the window's
// thread the window would stop answering. The worker takes one request at a time, in
// the order they came, so two extractions into the same data folder never overlap and a
// second drop waits behind the first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dump/dump_search.h"
#include "dump/dump_status.h"
#include "game/build_status.h"

namespace DumpChecks {

struct Result {
  bool is_status = false;   // a ReadDumpStatus (and ReadBuildStatus) of `path`; else a ClassifyDump
  uint64_t ticket = 0;      // what Queue* returned
  std::string path;
  DumpStatus status;        // is_status
  BuildStatus build;        // is_status
  DumpCandidate candidate;  // !is_status
};

// Queue a ClassifyDump of path; returns the request's ticket.
uint64_t QueueChoice(const std::string& path);
// Queue a ReadDumpStatus of the configured dump's path ("" for none); returns the
// request's ticket.
uint64_t QueueStatus(const std::string& path);
// Finished requests since the last call, oldest first.
std::vector<Result> TakeFinished();
// A request is queued or being worked on.
bool Busy();
// Waits up to `timeoutMs` until no request is queued or being worked on; true when so.
bool WaitUntilIdle(unsigned timeoutMs);

// Shutdown: drops the queued requests and unapplied verdicts, cancels the judgement under
// way (a running dtk ends, and the extraction cleans up after itself) and waits up to
// `timeoutMs` for the worker to end. True when it did; a later request starts a new one.
bool Stop(unsigned timeoutMs);

}  // namespace DumpChecks

namespace DumpChecksTesting {

// While `gate` (an event) is set and unsignalled, the worker waits before each judgement,
// so tests can act while one is under way and others queue behind it. nullptr removes it.
void SetGate(void* gate);

}  // namespace DumpChecksTesting
