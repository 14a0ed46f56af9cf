// The developer viewer's command line, the launcher's own Kestrane.ini, and the choice of
// the dump it looks at.
#pragma once

#include <map>
#include <string>

constexpr char kDefaultViewerTexture[] = "race.res/VXO_logo.tm0";

struct ViewerOptions {
  std::string disc;        // the disc's files folder (holds tocres.res)
  std::string dol;         // main.dol
  std::string texture = kDefaultViewerTexture;
  std::string screenshot;  // BMP path; empty: none
  bool scan = false;
  bool allow_unverified = false;
};

// Reads argv[1..]: option words compare byte for byte and each value is the next argument.
// False on anything else, or on a value option at the end without its value; `problem`
// (when given) then says which argument, for the player.
bool ParseViewerOptions(int argc, const char* const* argv, ViewerOptions* out, std::string* problem = nullptr);

// The value of `key` in a file of key=value lines: the last line that starts with
// "key=" wins; trailing line feeds, carriage returns and spaces are cut (tabs stay).
// Empty when the file or the key is missing.
std::string ReadLauncherIniValue(const std::string& path, const std::string& key);

struct DumpChoice {
  std::string disc;
  std::string dol;
};

// The disc folder: --disc, else SKARVEL_DISC, else Kestrane.ini's "disc"; main.dol: --dol,
// else Kestrane.ini's "dol". When no disc folder is known yet, dump.ini's (when it could
// be read: `dump_ini` not null) "disc", and with it its "dol" when main.dol is still open.
DumpChoice ChooseDump(const ViewerOptions& options, const std::string& env_disc, const std::string& ini_disc,
                      const std::string& ini_dol, const std::map<std::string, std::string>* dump_ini);
