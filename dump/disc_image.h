// Disc images (.iso, .rvz, ...) are read by the outside tool dtk, which copies the disc's
// sys and files folders into the game data folder's disc\DATA. The header is copied and
// checked first, so an image of another game or region is refused within seconds; the
// stamp in disc\image.txt lets an unchanged image reuse its extraction.
//
// There is no lock: every extraction shares disc\, so callers judge images one at a time.
#pragma once

#include <string>

#include "dump/dump_judgement.h"
#include "platform/scoped_lock.h"

// tools\dtk\dtk.exe next to the launcher, else the source checkout's sibling build of it,
// else empty.
std::string LocateDtk();

// Runs dtk with `arguments` through the child process runner and returns its exit code,
// with what it wrote on standard output and error (up to 4096 bytes, a line feed after
// each line) in `output`. -1 when dtk is missing or can't be started. `cancel` (may be
// null) ends it; a cancelled run returns 1.
int RunDtk(const std::string& arguments, std::string* output, CancelToken* cancel);

// Guards the disc folder (DATA, probe and image.txt): one image is extracted, or reused,
// and read at a time. The launcher window, the setup job and a re-read of the configured
// image may each judge an image, and two copies into one DATA would leave neither whole.
// Held for a whole extraction (minutes), so only background threads may wait on it.
StaticLock* DiscFolderLock();

// Extracts the image at image->path (a full path) or reuses its earlier extraction.
// Returns the folder holding sys and files, and the game ID read from the image when one
// was read (also on some failures). On failure image->message says why. A cancel through
// `cancel` (may be null) ends dtk, and the extraction fails.
bool ExtractDiscImage(DumpJudgement* image, std::string* folder, std::string* game_id, CancelToken* cancel);
