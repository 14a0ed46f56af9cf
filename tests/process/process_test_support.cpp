#include "tests/process/process_test_support.h"

#include "platform/text.h"
#include "tests/support/temp_folder.h"

namespace processtest {

std::string Standin(const std::string& name) { return testsupport::BinDir() + name + ".exe"; }

std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args) {
  std::wstring cmd = QuoteArgument(text::Utf8ToWide(program));
  for (const std::string& a : args) cmd += L" " + QuoteArgument(text::Utf8ToWide(a));
  return cmd;
}

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const EnvOverrides& overrides,
                const std::string& workingDir, CancelToken* cancel) {
  ToolRun run;
  run.exit_code = ChildProcess::Run(
      CommandLine(program, args), workingDir, overrides, [&](const std::string& line) { run.lines.push_back(line); },
      cancel);
  return run;
}

}  // namespace processtest
