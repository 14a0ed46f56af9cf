// What the launcher knows about the game it built: whether the game executable is there,
// when it was made and, in a source checkout, which source revision it comes from. Read
// afresh on every call from two small files; any thread may call it.
#pragma once

#include <string>

struct BuildStatus {
  bool built = false;       // the game executable exists
  std::string built_time;   // its last-write time, when built
  std::string source_ref;   // up to 7 characters of the checkout's source revision
};

BuildStatus ReadBuildStatus();
