// Throughput of the child process runner: a stand-in prints numbered lines of 80 bytes,
// the runner delivers them, and this program checks that every line arrived, in order.
// Prints the delivery time of each round (after one warm-up) and the median; scripts/bench-runner.sh sets it
// beside the same tool piped to wc -l.
//   runner_bench [LINES] [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/text.h"
#include "process/child_process.h"

namespace {

std::wstring ToolCommand(const char* args) {
  wchar_t self[1024];
  DWORD n = GetModuleFileNameW(nullptr, self, 1024);
  std::wstring dir(self, n);
  dir.resize(dir.find_last_of(L'\\') + 1);
  return QuoteArgument(dir + L"standin_tool.exe") + L" " + text::Utf8ToWide(args);
}

double Ms(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  return (double)(to.QuadPart - from.QuadPart) * 1000.0 / (double)freq.QuadPart;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const long lines = argc > 1 ? atol(argv[1]) : 200000;
  const int rounds = argc > 2 ? atoi(argv[2]) : 5;
  char args[64];
  snprintf(args, sizeof args, "lines %ld", lines);
  const std::wstring cmd = ToolCommand(args);
  const std::wstring start_only = ToolCommand("write \"\"");

  // One uncounted round first: the first process start in a fresh process pays for
  // loading what every later start reuses.
  std::vector<double> full, empty;
  for (int round = -1; round < rounds; ++round) {
    long next = 0;
    bool in_order = true;
    LARGE_INTEGER t0, t1, t2;
    QueryPerformanceCounter(&t0);
    uint32_t code = ChildProcess::Run(
        cmd, "", {},
        [&](const std::string& line) {
          if (line.size() != 79 || atol(line.c_str()) != next) in_order = false;
          ++next;
        },
        nullptr);
    QueryPerformanceCounter(&t1);
    ChildProcess::Run(start_only, "", {}, [](const std::string&) {}, nullptr);
    QueryPerformanceCounter(&t2);
    if (code != 0 || next != lines || !in_order) {
      printf("round %d: FAILED: exit %u, %ld of %ld lines, %s\n", round + 1, code, next, lines,
             in_order ? "in order" : "out of order or altered");
      return 1;
    }
    if (round < 0) continue;
    full.push_back(Ms(t0, t1));
    empty.push_back(Ms(t1, t2));
    printf("round %d: %ld lines of 80 bytes in %.1f ms (tool start alone %.1f ms)\n", round + 1, lines, full.back(),
           empty.back());
  }
  printf("runner median %.1f ms, start alone %.1f ms, every line delivered in order\n", Median(full), Median(empty));
  return 0;
}
