#include "process/process_start.h"

#include <algorithm>
#include <vector>

#include "platform/create_process.h"
#include "platform/text.h"
#include "settings/launcher_log.h"

namespace {

// The attribute list that limits inheritance to the given handles. `list` stays null
// when no handle is wanted or the system refused the list.
struct InheritOnly {
  explicit InheritOnly(std::vector<HANDLE> wanted) {
    for (HANDLE h : wanted) {
      if (h == nullptr || h == INVALID_HANDLE_VALUE) continue;
      if (std::find(handles.begin(), handles.end(), h) == handles.end()) handles.push_back(h);
    }
    if (handles.empty()) return;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage.resize(size);
    auto* candidate = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!InitializeProcThreadAttributeList(candidate, 1, 0, &size)) return;
    if (!UpdateProcThreadAttribute(candidate, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles.data(),
                                   handles.size() * sizeof(HANDLE), nullptr, nullptr)) {
      DeleteProcThreadAttributeList(candidate);
      return;
    }
    list = candidate;
  }
  ~InheritOnly() {
    if (list) DeleteProcThreadAttributeList(list);
  }
  InheritOnly(const InheritOnly&) = delete;
  InheritOnly& operator=(const InheritOnly&) = delete;

  std::vector<HANDLE> handles;
  std::vector<char> storage;
  LPPROC_THREAD_ATTRIBUTE_LIST list = nullptr;
};

}  // namespace

bool StartProcess(const ProcessLaunch& launch, PROCESS_INFORMATION* started, DWORD* error) {
  STARTUPINFOEXW si = {};
  si.StartupInfo.cb = sizeof si;
  si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  si.StartupInfo.hStdInput = launch.input;
  si.StartupInfo.hStdOutput = launch.output;
  si.StartupInfo.hStdError = launch.error;
  InheritOnly inherit({launch.input, launch.output, launch.error});
  DWORD flags = CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW;
  if (launch.suspended) flags |= CREATE_SUSPENDED;
  if (inherit.list) {
    si.lpAttributeList = inherit.list;
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  // Without the list (the system refused it) the standard handles still have to reach
  // the process, so everything inheritable goes, as before such lists existed.
  const BOOL inherit_handles = !inherit.handles.empty();

  std::wstring block = BuildEnvironmentBlock(launch.environment);
  const std::wstring cwd = text::Utf8ToWide(launch.workingDir);
  return CreateProcessTrying(launch.program.empty() ? nullptr : launch.program.c_str(), launch.commandLine,
                             inherit_handles, flags, &block[0], cwd.empty() ? nullptr : cwd.c_str(), &si.StartupInfo,
                             started, error, [&launch](DWORD lost) {
                               LogLine("[launcher] %s didn't start (Windows error %lu); trying again",
                                       ProgramOf(launch).c_str(), (unsigned long)lost);
                             });
}

std::string ProgramOf(const ProcessLaunch& launch) {
  if (!launch.program.empty()) return text::WideToUtf8(launch.program);
  const std::wstring& line = launch.commandLine;
  if (!line.empty() && line[0] == L'"') return text::WideToUtf8(line.substr(1, line.find(L'"', 1) - 1));
  return text::WideToUtf8(line.substr(0, line.find(L' ')));
}
