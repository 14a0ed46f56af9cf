// The error log: the launcher's own failure lines and the game's standard error, kept
// for the last five runs (kestrane_log.txt and .1 to .4). Nothing is written while
// launcher.error_log is off. Every layer writes here, which is why it sits this low.
#pragma once

#include <string>

#if defined(__GNUC__)
#define KESTRANE_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define KESTRANE_PRINTF_FORMAT(fmt, args)
#endif

// %LOCALAPPDATA%\Kestrane\logs, created by every call.
std::string LogsFolder();
std::string ErrorLogPath();

// Appends "<local time> <message>\n" when error logs are on. Safe from any thread:
// each call opens, appends and closes the file.
void LogLine(const char* format, ...) KESTRANE_PRINTF_FORMAT(1, 2);

// At a game start with error logs on: rotates the logs and writes the two header lines.
// `aspect` is "4:3", "16:9" or "native".
void StartGameLog(const char* aspect);
