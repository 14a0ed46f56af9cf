// Which thread owns the program's window. That thread must never wait on slow work
// (hashing, extraction, long file reads, locks a worker holds for minutes): a window
// that stops answering its messages looks hung. Slow operations check where they run;
// in builds with WINDOW_THREAD_CHECKS defined (every build but the shipped release) a
// call on the window thread is reported, and the default report ends the program, so a
// test that reaches such a call fails where it happens.
#pragma once

// The calling thread owns the window from now on, until ClearWindowThread.
void MarkWindowThread();
void ClearWindowThread();
bool OnWindowThread();

// What a report does: gets the name of the operation that ran on the window thread.
using WindowThreadReport = void (*)(const char* operation);
// Replaces the report (null restores the default, which prints and aborts).
void SetWindowThreadReport(WindowThreadReport report);

// Reports `operation` when called on the window thread in builds with the checks.
#ifdef WINDOW_THREAD_CHECKS
void ReportIfWindowThread(const char* operation);
#define OFF_WINDOW_THREAD(operation) ReportIfWindowThread(operation)
#else
#define OFF_WINDOW_THREAD(operation) ((void)0)
#endif
