#include "tests/jobs/jobs_test_support.h"

#include <windows.h>

#include "platform/text.h"
#include "tests/support/temp_folder.h"

namespace jobstest {

std::string Standin(const std::string& name) { return testsupport::BinDir() + name + ".exe"; }

std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args) {
  std::wstring cmd = QuoteArgument(text::Utf8ToWide(program));
  for (const std::string& a : args) cmd += L" " + QuoteArgument(text::Utf8ToWide(a));
  return cmd;
}

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const EnvOverrides& overrides,
                const std::string& workingDir) {
  ToolRun run;
  run.exit_code = ChildProcess::Run(CommandLine(program, args), workingDir, overrides,
                                    [&](const std::string& line) { run.lines.push_back(line); });
  return run;
}

bool CopyProgram(const std::string& from, const std::string& to) {
  testsupport::MakeFolders(to.substr(0, to.find_last_of('\\')));
  return CopyFileW(text::Utf8ToWide(from).c_str(), text::Utf8ToWide(to).c_str(), FALSE) != FALSE;
}

}  // namespace jobstest
