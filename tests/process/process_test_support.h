// Running the stand-in tools through the child process runner in tests.
#pragma once

#include <string>
#include <vector>

#include "process/child_process.h"

namespace processtest {

// A stand-in built next to the tests, e.g. Standin("standin_tool").
std::string Standin(const std::string& name);

// The command line for a program and its arguments, each through QuoteArgument.
std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args);

struct ToolRun {
  uint32_t exit_code = 0;
  std::vector<std::string> lines;
};

// ChildProcess::Run of the program with the arguments, lines collected.
ToolRun RunTool(const std::string& program, const std::vector<std::string>& args,
                const EnvOverrides& overrides = {}, const std::string& workingDir = "",
                CancelToken* cancel = nullptr);

}  // namespace processtest
