// The one way outside tools run: no window, standard output and error captured together
// and handed over line by line, the tool and everything it starts held in a job object
// that is ended as a whole on cancel and when the run is over.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "process/cancel_token.h"
#include "process/environment_block.h"
#include "process/quote_argument.h"

// Receives each non-empty output line: the bytes the tool wrote, without the terminator.
using LineHandler = std::function<void(const std::string& line)>;

constexpr uint32_t kToolDidNotStart = 0xFFFFFFFF;

namespace ChildProcess {

// How long the runner waits for the output to end once the tool's own process has
// exited; whatever it started and left holding the output is then ended.
constexpr unsigned kLeftoverGraceMs = 2000;

// Runs the tool to its end on the calling thread and returns its exit code, or
// kToolDidNotStart. Lines arrive on this thread, in order, before it returns. While the
// tool runs, `cancel` (may be null: nobody can cancel) reaches it; a run whose cancel was
// requested ends, or never starts, with exit code 1. An empty working directory keeps
// the launcher's. Whatever the tool leaves running is ended when the run is over.
uint32_t Run(const std::wstring& commandLine, const std::string& workingDir, const EnvOverrides& overrides,
             const LineHandler& onLine, CancelToken* cancel);

}  // namespace ChildProcess
