#include "process/child_process.h"

#include <algorithm>
#include <cwchar>

#include "jobs/jobs_lock.h"
#include "platform/text.h"

// [SECTION] Runner

namespace {

const DWORD kReadSize = 64 * 1024;

void CloseIfOpen(HANDLE h) {
  if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// Hands every complete line in `pending` to the handler and keeps the unterminated rest.
// CR and LF both end a line; the empty piece of a CR LF pair and blank lines are dropped.
void DeliverLines(std::string* pending, std::string* line, const LineHandler& onLine) {
  const char* data = pending->data();
  const size_t size = pending->size();
  size_t start = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != '\n' && data[i] != '\r') continue;
    if (i > start) {
      line->assign(data + start, i - start);
      onLine(*line);
    }
    start = i + 1;
  }
  // One erase per chunk keeps a flood of short lines linear in the output size.
  pending->erase(0, start);
}

// Puts the started tool's job where a cancel can reach it. A cancel that came while the
// tool was being started found no job to end; honour it now, before the tool runs.
void PublishToolJob(HANDLE job) {
  ScopedLock lock(JobsLock());
  JobsShared& jobs = Jobs();
  jobs.tool_job = job;
  if (jobs.status.running && jobs.cancel_request.load() != 0) TerminateJobObject(job, 1);
}

void WithdrawToolJob(HANDLE job) {
  ScopedLock lock(JobsLock());
  if (Jobs().tool_job == job) Jobs().tool_job = nullptr;
}

}  // namespace

namespace ChildProcess {

uint32_t Run(const std::wstring& commandLine, const std::string& workingDir, const EnvOverrides& overrides,
             const LineHandler& onLine) {
  SECURITY_ATTRIBUTES sa = {};
  sa.nLength = sizeof sa;
  sa.bInheritHandle = TRUE;
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &sa, 0)) return kToolDidNotStart;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);  // only the write end goes to the tool
  HANDLE null_in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);

  STARTUPINFOEXW si = {};
  si.StartupInfo.cb = sizeof si;
  si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  si.StartupInfo.hStdInput = null_in;
  si.StartupInfo.hStdOutput = write_end;
  si.StartupInfo.hStdError = write_end;
  // Only these two: a game the player starts meanwhile opens its error log inheritable,
  // and a tool holding that handle would keep the log from being rotated.
  InheritOnly inherit({write_end, null_in});
  DWORD flags = CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW;
  if (inherit.list) {
    si.lpAttributeList = inherit.list;
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }

  std::wstring block = BuildEnvironmentBlock(overrides);
  std::wstring cwd = text::Utf8ToWide(workingDir);
  std::wstring cmd = commandLine;  // CreateProcessW may write into its command line

  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, flags, &block[0],
                                cwd.empty() ? nullptr : cwd.c_str(), &si.StartupInfo, &pi);
  // From here only the tool may hold the write end, so the reads end when it (and all it
  // started) has gone.
  CloseHandle(write_end);
  CloseIfOpen(null_in);
  if (!started) {
    CloseHandle(read_end);
    CloseIfOpen(job);
    return kToolDidNotStart;
  }

  // In the job before its first instruction, so everything it starts is in the job too.
  AssignProcessToJobObject(job, pi.hProcess);
  PublishToolJob(job);
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);

  // Large reads: each read is a round trip to the system (under Wine, to its server), and
  // reads of 4 KiB made a chatty tool several times slower than a plain pipe.
  std::vector<char> buffer(kReadSize);
  std::string pending, line;
  DWORD n = 0;
  while (ReadFile(read_end, buffer.data(), kReadSize, &n, nullptr) && n > 0) {
    pending.append(buffer.data(), n);
    DeliverLines(&pending, &line, onLine);
  }
  if (!pending.empty()) onLine(pending);
  CloseHandle(read_end);

  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);

  WithdrawToolJob(job);
  CloseIfOpen(job);  // ends whatever the tool left running
  return code;
}

}  // namespace ChildProcess

// [SECTION] Quoting and environment

std::wstring QuoteArgument(const std::wstring& text) {
  if (text.empty()) return L"\"\"";
  if (text.find_first_of(L" \t\"") == std::wstring::npos) return text;
  // Windows programs split their command line so that backslashes count only before a
  // double quote: there they are halved. Doubling exactly those runs (before an inner
  // quote and before the closing one) gives the tool back the text as it was.
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  out += L'"';
  return out;
}

std::wstring BuildEnvironmentBlock(const EnvOverrides& overrides) {
  std::vector<std::wstring> entries;
  if (wchar_t* own = GetEnvironmentStringsW()) {
    for (const wchar_t* p = own; *p; p += wcslen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsW(own);
  }
  for (const auto& o : overrides) {
    const std::wstring prefix = text::Utf8ToWide(o.first) + L"=";
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const std::wstring& e) {
                                   return _wcsnicmp(e.c_str(), prefix.c_str(), prefix.size()) == 0;
                                 }),
                  entries.end());
    if (!o.second.empty()) entries.push_back(prefix + text::Utf8ToWide(o.second));
  }
  // Windows expects the block sorted without regard to case.
  std::sort(entries.begin(), entries.end(),
            [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
  std::wstring block;
  for (const std::wstring& e : entries) {
    block += e;
    block += L'\0';
  }
  if (entries.empty()) block += L'\0';  // an empty block is still two NULs
  block += L'\0';
  return block;
}

// [SECTION] Suspend

void SuspendToolProcesses(HANDLE job, bool suspend) {
  typedef LONG(NTAPI * ProcessCall)(HANDLE);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll) return;
  FARPROC proc = GetProcAddress(ntdll, suspend ? "NtSuspendProcess" : "NtResumeProcess");
  if (!proc) return;
  ProcessCall call = reinterpret_cast<ProcessCall>(reinterpret_cast<void*>(proc));

  const DWORD kRoom = 64;
  union {
    JOBOBJECT_BASIC_PROCESS_ID_LIST list;
    unsigned char bytes[sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + (kRoom - 1) * sizeof(ULONG_PTR)];
  } buffer = {};
  buffer.list.NumberOfAssignedProcesses = kRoom;
  if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &buffer, sizeof buffer, nullptr)) return;
  const DWORD count = std::min(buffer.list.NumberOfProcessIdsInList, kRoom);
  const ULONG_PTR* ids = buffer.list.ProcessIdList;
  for (DWORD i = 0; i < count; ++i) {
    HANDLE process = OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, (DWORD)ids[i]);
    if (!process) continue;  // already gone, or not ours to touch
    call(process);
    CloseHandle(process);
  }
}

// [SECTION] Inherited handles

InheritOnly::InheritOnly(std::vector<HANDLE> wanted) {
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

InheritOnly::~InheritOnly() {
  if (list) DeleteProcThreadAttributeList(list);
}

// [SECTION] Terminate

void TerminateCurrentTool() {
  ScopedLock lock(JobsLock());
  if (Jobs().tool_job) TerminateJobObject(Jobs().tool_job, 1);
}
