// Runs a built program (Kestrane.exe or a stand-in tool) as a child process and captures
// its standard output, standard error and exit code, for end-to-end tests.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct ChildOptions {
  // Environment changes on top of the test's own; an empty value removes the variable.
  std::vector<std::pair<std::string, std::string>> env;
  std::string working_dir;   // empty: the test's current folder
  std::string stdout_file;   // when set, standard output goes to this file instead of a pipe
  bool no_stdout = false;    // start with no standard output handle at all
  unsigned timeout_ms = 120000;
  // Called with the child's process id once it has started, before the wait for its end
  // (which the timeout bounds from then on): to drive a child that shows a window.
  std::function<void(unsigned long pid)> while_running;
};

struct ChildResult {
  unsigned long exit_code = 0xFFFFFFFF;
  // What the child wrote, with the CR LF line ends of text-mode streams turned into LF.
  std::string out;
  std::string err;
  bool started = false;
  bool timed_out = false;   // the child was killed after timeout_ms
};

ChildResult RunChild(const std::string& exe, const std::vector<std::string>& args,
                     const ChildOptions& options = ChildOptions());

// A child left running, with no standard handles of the test's: its process handle (the
// caller waits for and closes it) and id; a null process when it didn't start. Only env
// and working_dir of the options apply.
struct StartedChild {
  void* process = nullptr;
  unsigned long id = 0;
};
StartedChild StartChild(const std::string& exe, const std::vector<std::string>& args, const ChildOptions& options);

// Turns every CR LF into LF.
std::string Lf(const std::string& text);

}  // namespace testsupport
