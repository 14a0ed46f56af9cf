// A generic tool for the child process runner's tests and benchmark:
//   echo ARG...          prints each argument as "[ARG]" on its own line
//   write TEXT [CODE]    writes TEXT exactly (\r, \n and \\ decoded), exits with CODE
//   lines COUNT          prints COUNT numbered lines of 80 bytes each, LF included
//   spin                 prints with a grandchild until killed
//   leave CODE           starts a grandchild that prints into the same output until
//                        killed, prints "grandchild <pid>", exits with CODE
//   orphan               starts a grandchild holding no handle of its own that waits
//                        until killed, prints "orphan <pid>", exits with 0
//   env NAME...          prints "NAME=value" or "NAME unset" for each name
//   cwd                  prints the working directory
//   handle 0xH...        prints "0xH open" or "0xH closed" for each (inherited handles)
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text.h"
#include "tests/tools/standin.h"

namespace {

void WriteRaw(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    out += c == 'r' ? '\r' : c == 'n' ? '\n' : c;
  }
  return out;
}

// Numbered so a reader can check that nothing was lost or reordered.
void PrintLines(long count) {
  const size_t kLine = 80;
  std::string chunk;
  chunk.reserve(64 * 1024);
  char line[kLine + 1];
  for (long n = 0; n < count; ++n) {
    snprintf(line, sizeof line, "%08ld ", n);
    size_t used = strlen(line);
    memset(line + used, 'x', kLine - 1 - used);
    line[kLine - 1] = '\n';
    chunk.append(line, kLine);
    if (chunk.size() + kLine > chunk.capacity()) {
      WriteRaw(chunk);
      chunk.clear();
    }
  }
  WriteRaw(chunk);
}

}  // namespace

int main(int argc, char** argv) {
  standin::RunSpinChildIfAsked(argc, argv);
  std::vector<std::string> args = standin::Args();
  if (args.size() < 2) return 2;
  const std::string& mode = args[1];
  if (mode == "echo") {
    for (size_t i = 2; i < args.size(); ++i) standin::Line("[" + args[i] + "]");
    return 0;
  }
  if (mode == "write" && args.size() >= 3) {
    WriteRaw(Unescape(args[2]));
    return args.size() >= 4 ? atoi(args[3].c_str()) : 0;
  }
  if (mode == "lines" && args.size() >= 3) {
    PrintLines(atol(args[2].c_str()));
    return 0;
  }
  if (mode == "spin") standin::SpinWithGrandchild("tool");
  if (mode == "leave" && args.size() >= 3) {
    DWORD pid = 0;
    HANDLE grandchild = standin::StartSpinningCopy("leftover", &pid);
    if (!grandchild) return 2;
    CloseHandle(grandchild);
    standin::Line("grandchild " + std::to_string(pid));
    return atoi(args[2].c_str());
  }
  if (mode == "orphan") {
    DWORD pid = 0;
    HANDLE orphan = standin::StartDetachedIdleCopy(&pid);
    if (!orphan) return 2;
    CloseHandle(orphan);
    standin::Line("orphan " + std::to_string(pid));
    return 0;
  }
  if (mode == "env") {
    for (size_t i = 2; i < args.size(); ++i) {
      std::string value;
      standin::Line(standin::Env(args[i].c_str(), &value) ? args[i] + "=" + value : args[i] + " unset");
    }
    return 0;
  }
  if (mode == "handle") {
    for (size_t i = 2; i < args.size(); ++i) standin::Line(standin::HandleState(args[i]));
    return 0;
  }
  if (mode == "cwd") {
    wchar_t buffer[1024];
    DWORD n = GetCurrentDirectoryW(1024, buffer);
    standin::Line(text::WideToUtf8(std::wstring(buffer, n)));
    return 0;
  }
  return 2;
}
