// What the stand-ins for the outside tools share: their arguments as UTF-8, steering
// files that script their behaviour, plain line output, and running on with a
// grandchild until killed (for cancel and pause tests).
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace standin {

// The command line split the way Windows programs split it (CommandLineToArgvW), UTF-8.
std::vector<std::string> Args();

// The folder of this program, with a trailing backslash.
std::string OwnDir();

// key=value lines; a key may repeat (its values keep their order). A missing file reads
// as empty. Lines starting with '#' are comments.
using Steering = std::map<std::string, std::vector<std::string>>;
Steering ReadSteering(const std::string& path);
// The last value of `key`, or `fallback`.
std::string Value(const Steering& steering, const std::string& key, const std::string& fallback);

// Writes the bytes and a line feed to standard output and flushes at once, as an
// unbuffered tool would.
void Line(const std::string& text);

// "0xH open" or "0xH closed": whether the handle value written in hex names a stray
// handle's file in this process (tests/support/stray_handle.h), which tells whether that
// handle of the parent's was inherited.
std::string HandleState(const std::string& value);

// How many files (and, when asked, folders) are directly in the folder; 0 when it isn't there.
unsigned CountEntries(const std::string& folder, bool folders_too);

// The environment variable as UTF-8; false when it isn't set.
bool Env(const char* name, std::string* value);

// Starts a copy of this program with `args` after its path, sharing this one's standard
// handles, so its lines join the same output. Its process handle (and id), or null.
HANDLE StartCopy(const std::string& args, DWORD* pid = nullptr);

// Starts a copy of this program sharing this one's output that prints "<tag> child <n>"
// lines until killed. Its process handle (and id), or null.
HANDLE StartSpinningCopy(const std::string& tag, DWORD* pid = nullptr);

// Starts a copy of this program that inherits no handle at all (its output goes nowhere)
// and waits until killed. Its process handle (and id), or null.
HANDLE StartDetachedIdleCopy(DWORD* pid = nullptr);

// Starts a copy of this program that prints "<tag> child <n>" lines, prints
// "grandchild <pid>", then prints "<tag> parent <n>" lines; both run until killed.
[[noreturn]] void SpinWithGrandchild(const std::string& tag);
// Call first in main: a copy started by SpinWithGrandchild or StartDetachedIdleCopy never
// returns from here.
void RunSpinChildIfAsked(int argc, char** argv);

}  // namespace standin
