// What Kestrane.exe accepts: every mode with its arguments and exit statuses. The README
// carries the same text, printed by --help.
#pragma once

#include <cstdio>

extern const char kUsage[];

// Arguments no mode takes: what was wrong, then the usage, on standard error; exit 2.
int RefuseArguments(const char* what);
