#include "tests/jobs/jobs_test_support.h"

#include <windows.h>

#include "platform/text.h"
#include "tests/support/temp_folder.h"

namespace jobstest {

bool CopyProgram(const std::string& from, const std::string& to) {
  testsupport::MakeFolders(to.substr(0, to.find_last_of('\\')));
  return CopyFileW(text::Utf8ToWide(from).c_str(), text::Utf8ToWide(to).c_str(), FALSE) != FALSE;
}

std::vector<std::string> Lines(const std::string& out) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(out.substr(start, end - start));
  return lines;
}

std::map<std::string, std::string> FinalStates(const std::string& out, const std::vector<std::string>& titles) {
  std::map<std::string, std::string> last;
  for (const std::string& line : Lines(out)) {
    if (line.rfind("---- log", 0) == 0) break;
    for (const std::string& title : titles)
      if (line.rfind(title + ": ", 0) == 0) last[title] = line.substr(title.size() + 2);
  }
  return last;
}

}  // namespace jobstest
