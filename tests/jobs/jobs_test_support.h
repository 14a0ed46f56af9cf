// The stand-in tools in install folders, and the console output of the jobs.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace jobstest {

// Copies a built program to `to` (creating folders); false when it can't.
bool CopyProgram(const std::string& from, const std::string& to);

// [SECTION] The console progress of a job ("--setup", "--enhance", the job probe)

// The output's lines, without their line feeds.
std::vector<std::string> Lines(const std::string& out);
// Each step's last printed line without its title: "<state> <detail>". Reading stops at
// the "---- log" line, after which tool output could look like a step.
std::map<std::string, std::string> FinalStates(const std::string& out, const std::vector<std::string>& titles);

}  // namespace jobstest
