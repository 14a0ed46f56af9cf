// Kestrane.exe: a GUI-subsystem program with a narrow entry point. The manifest makes the
// ANSI code page UTF-8, so argv, getenv and the "A" file functions all see UTF-8.
#include <windows.h>

#include "app/command_line.h"

int main(int argc, char** argv) {
  // Before any DLL beyond the known ones loads (they are delay-loaded, or loaded at run
  // time): a DLL is looked for in the system folder only, never in the folder Kestrane.exe
  // was unpacked into, where anything may lie beside it.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  return RunEntry(argc, argv);
}
