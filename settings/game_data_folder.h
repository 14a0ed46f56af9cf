// The game data folder (extracted disc, caches, textures, the importer's output) can move
// to another drive. Whole sub-folders move, then dump.ini's paths follow them so the
// imported dump stays valid. Both operations run on the window thread.
#pragma once

#include <string>

// The sub-folders that move, in the order they are moved; nothing else in the folder does.
extern const char* const kGameDataSubfolders[4];

// Moves each sub-folder of `old_dir` that exists into `new_dir`. A sub-folder already
// present at the destination is never merged or overwritten; a move that fails leaves the
// sub-folder where it was. Either case makes the result false and adds a sentence to
// `message`; the other sub-folders still move.
bool MoveGameData(const std::string& old_dir, const std::string& new_dir, std::string* message);

// The player chose a new data folder: creates it (one level), moves the game data there,
// points launcher.data_dir at it and logs the change. The setting changes even when some
// sub-folder couldn't move, since the launcher works from the new folder from then on.
bool ChangeDataDir(const std::string& chosen, std::string* message);

// At start: game data left in the small local folder moves into the data folder.
void MigrateLocalGameData();
