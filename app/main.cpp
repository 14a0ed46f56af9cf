// Kestrane.exe: a GUI-subsystem program with a narrow entry point. The manifest makes the
// ANSI code page UTF-8, so argv, getenv and the "A" file functions all see UTF-8.
#include "app/command_line.h"

int main(int argc, char** argv) { return RunEntry(argc, argv); }
