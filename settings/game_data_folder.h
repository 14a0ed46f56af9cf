// The game data folder (extracted disc, caches, textures, the importer's output) can move
// to another drive. Whole sub-folders move, then dump.ini's paths follow them so the
// imported dump stays valid. Both operations run on the window thread.
#pragma once

#include <string>

// The sub-folders that move, in the order they are moved; nothing else in the folder does.
extern const char* const kGameDataSubfolders[4];

// The data folder can be any folder the player picks (D:\ is valid), where a disc or dump
// folder may well be the player's own. So a sub-folder is the launcher's only when it
// holds kLauncherFolderMark, which the launcher writes into each one it makes, or, made
// by an earlier version, the file or folder that version wrote there (disc\image.txt
// holding an image's stamp, dump\dump.ini, cache\enhanced or cache\dumpnand). Any other
// is never deleted, replaced or moved. Everything in the local folder is the launcher's.
extern const char kLauncherFolderMark[];
bool IsLauncherFolder(const std::string& folder);
// The stamp disc\image.txt holds for the image extracted into disc\DATA: the image's full
// path, "|", its size in bytes (-1 when it can't be read), "|" and its last-write time as
// InstallLayout::FileDate writes it. An image whose stamp is unchanged needn't be read again.
std::string DiscImageStamp(const std::string& image);
// The text is such a stamp (how an earlier version's disc folder is told from a player's).
bool IsDiscImageStamp(const std::string& text);
// `inner` lies somewhere below `outer`: one of its ancestors is that folder, however
// either is spelled (case, slashes, short names, links). Both must exist.
bool IsInsideFolder(const std::string& inner, const std::string& outer);

// Makes the folder (one level) with the mark in it, or marks one that is the launcher's
// or still empty. False when something else of that name is there, or it can't be made.
bool MakeLauncherFolder(const std::string& folder);

// Moves each sub-folder of `old_dir` that exists into `new_dir`. A sub-folder that isn't
// the launcher's stays; one already present at the destination is never merged or
// overwritten; a move that fails leaves the sub-folder where it was. Each case makes the
// result false and adds a sentence naming the folder to `message`; the others still move.
bool MoveGameData(const std::string& old_dir, const std::string& new_dir, std::string* message);

// The player chose a new data folder: creates it (one level), moves the game data there,
// points launcher.data_dir at it and logs the change. The setting changes even when some
// sub-folder couldn't move, since the launcher works from the new folder from then on.
// The current folder spelled in another way (case, slashes, a trailing separator, a
// short name) is nothing to do; a folder inside it is refused with a message.
bool ChangeDataDir(const std::string& chosen, std::string* message);

// At start: game data left in the small local folder moves into the data folder.
void MigrateLocalGameData();
