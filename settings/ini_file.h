// dump.ini: the importer's record of the player's dump, lines of key=value. The launcher
// reads it to find and match the dump and rewrites its paths when the data folder moves.
#pragma once

#include <map>
#include <string>

// Keys in byte order, which is also the order a rewrite lists them in.
using IniMap = std::map<std::string, std::string>;

// Adds every key=value line of the file to `map` (a later line replaces an earlier one).
// Keys and values are taken as they are, untrimmed; empty lines, lines starting with '#'
// or ';' and lines without '=' are skipped. False only when the file can't be opened.
bool ReadIniFile(const std::string& path, IniMap* map);

// Writes "# <comment>" and then every key=value line. The text goes to path + ".tmp"
// first and replaces the file only once complete, so the importer's record is never
// left half-written. False when it can't be written.
bool WriteIniFile(const std::string& path, const IniMap& map, const char* comment);
