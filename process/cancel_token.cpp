#include "process/cancel_token.h"

#include <algorithm>

void RequestCancel(CancelToken* token) {
  token->requested.exchange(1);
  ScopedLock lock(&token->lock);
  if (token->tool) TerminateJobObject(token->tool, 1);
}

bool CancelRequested(const CancelToken* token) { return token != nullptr && token->requested.load() != 0; }

void ClearCancel(CancelToken* token) { token->requested.exchange(0); }

uint32_t CurrentToolRun(CancelToken* token) {
  ScopedLock lock(&token->lock);
  return token->tool ? token->tool_run : 0;
}

bool SuspendToolRun(CancelToken* token, uint32_t run, bool suspend) {
  ScopedLock lock(&token->lock);
  if (!token->tool || token->tool_run != run) return false;
  SuspendToolProcesses(token->tool, suspend);
  return true;
}

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

bool PublishTool(CancelToken* token, HANDLE job) {
  ScopedLock lock(&token->lock);
  token->tool = job;
  ++token->tool_run;
  if (token->tool_run == 0) token->tool_run = 1;  // 0 means none
  // A cancel that came while the tool was being started found no job to end.
  if (token->requested.load() == 0) return true;
  TerminateJobObject(job, 1);
  return false;
}

void WithdrawTool(CancelToken* token, HANDLE job) {
  ScopedLock lock(&token->lock);
  if (token->tool == job) token->tool = nullptr;
}
