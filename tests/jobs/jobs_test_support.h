// Running the stand-in tools through the child process runner in tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "process/child_process.h"

namespace jobstest {

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
                const EnvOverrides& overrides = {}, const std::string& workingDir = "");

// Copies a built program to `to` (creating folders); false when it can't.
bool CopyProgram(const std::string& from, const std::string& to);

// [SECTION] The console progress of a job ("--setup", "--enhance", the job probe)

// The output's lines, without their line feeds.
std::vector<std::string> Lines(const std::string& out);
// Each step's last printed line without its title: "<state> <detail>". Reading stops at
// the "---- log" line, after which tool output could look like a step.
std::map<std::string, std::string> FinalStates(const std::string& out, const std::vector<std::string>& titles);

}  // namespace jobstest
