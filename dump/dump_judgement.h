// The verdict on one dump: an extracted disc folder in one of three layouts, or a disc
// image. Only the player's own retail USA disc (RKVE01) is ready; its main.dol must have
// the one known SHA-1. The judgement only reads the dump; a disc image is extracted into
// the game data folder first.
#pragma once

#include <cstdint>
#include <string>

enum DumpKind {
  kDumpReady = 0,         // main.dol matches the expected digest
  kDumpNotSupported = 1,  // a readable disc that is not the supported one
  kDumpIncomplete = 2,    // the game files could not be found or read
};

struct DumpJudgement {
  std::string path;       // the dump's root as recorded: above files (and above DATA), or the image
  std::string files_dir;  // the folder holding tocres.res
  std::string dol_path;
  std::string sha1;       // lower-case hex of main.dol, empty when it couldn't be read
  std::string game_id;    // from the disc header, or empty
  bool recognised = false;
  bool verified = false;
  std::string message;    // what is wrong, for the player; empty when nothing is
  int64_t bytes = -1;     // size of the dump, -1 when not measured
  int kind = kDumpReady;  // set only by ClassifyDump
};

// The digest main.dol of the supported disc must have. Each executable links exactly one
// definition: the retail one ships; test builds use the fixture dump's.
extern const char kExpectedMainDolSha1[];
constexpr char kSupportedGameId[] = "RKVE01";

// "ready", "not supported" or "incomplete".
const char* DumpKindName(int kind);

// An existing file (not a folder) whose extension is one of the disc image formats.
bool IsDiscImage(const std::string& path);
// Whether the path's extension is one of them, whatever is (or isn't) there.
bool HasDiscImageExtension(const std::string& path);

// The disc says RKVE01 but its main.dol is not the retail one: a modified or damaged dump,
// where the found and the expected digests are worth showing side by side.
bool MainDolChanged(const DumpJudgement& j);

// Finds tocres.res in the DATA\files, files or the folder itself layout, in that order.
// On failure `failure` says why and the other outputs are untouched.
bool LocateGameFiles(const std::string& path, std::string* files_dir, std::string* dol_path,
                     std::string* failure);

// The six letters and digits at the start of files_dir\..\sys\boot.bin, or empty.
std::string ReadGameId(const std::string& files_dir);

struct CancelToken;  // process/cancel_token.h

// Judging, hashing and extracting read whole files (or run dtk for minutes): never on
// the window's thread (platform/window_thread.h checks it).

// SHA-1 of main.dol (dol_path, or the one beside files_dir when empty) as lower-case hex,
// empty when it can't be opened or hashed. *matches tells whether it is the expected one.
std::string HashMainDol(const std::string& files_dir, const std::string& dol_path, bool* matches);

// Everything but kind. measure_size false keeps bytes at -1 and the call cheap. A disc
// image is extracted (or its earlier extraction reused) first; a cancel through `cancel`
// ends that extraction, and the dump is then not recognised.
DumpJudgement JudgeDump(const std::string& path, bool measure_size, CancelToken* cancel = nullptr);

// JudgeDump with the size measured, plus the kind. A judgement carries no words for
// lists: what the player reads about it is worded where it is shown.
DumpJudgement ClassifyDump(const std::string& path, CancelToken* cancel = nullptr);
