// settings.ini, shared with the game: the key table, effective values with environment
// overrides, and a background save 300 ms after the last change.
//
// The store loads itself on first use. Every operation may be called from any thread.
#pragma once

#include <string>

// One row of the key table.
struct SettingDef {
  const char* key;          // section.name, all lower case
  const char* def;          // default text
  bool next_start;          // takes effect when the game next starts
  const char* variable;     // dedicated override variable, or nullptr
};

// The 47 rows, in the order the settings pages and ResetSection walk them.
const SettingDef* SettingDefs();
int SettingDefCount();
// Exact, case-sensitive key compare; nullptr for keys not in the table.
const SettingDef* FindSettingDef(const char* key);

// Everything a settings row shows about one key, as the separate calls below would tell
// it, read with one table lookup and at most one lock: rows ask for it every frame.
struct SettingView {
  std::string value;        // as Get
  const char* def = "";     // as DefaultOf; static
  bool next_start = false;  // as NextStart
  std::string variable;     // as OverrideVariable, "" when no variable overrides the key
};

namespace SettingsStore {

// Effective value: environment override, else the file's line, else the default ("" for
// unknown keys). The pointer stays valid until this thread has made four more Get calls.
const char* Get(const char* key);
// The effective value read like atoi.
int GetInt(const char* key);
// Trims the value; a value equal to the default removes the key's line. A save writes
// the launcher's changes on top of the file as it is on disk then, so lines the player or
// the game wrote meanwhile stay.
void Set(const char* key, const char* value);
void SetInt(const char* key, int value);
// Removes the key's line so the default applies again.
void Reset(const char* key);
// Resets every table key of the section except launcher.dump_path.
void ResetSection(const char* section);
const char* DefaultOf(const char* key);
bool NextStart(const char* key);
// Name of the environment variable that currently overrides the key, or nullptr. A
// generic name stays valid until this thread asks for the next one.
const char* OverrideVariable(const char* key);
SettingView View(const char* key);
// Saves at once if there are unsaved changes.
void Flush();
// Saves pending changes, then reads the file again (the game may have changed it); what
// a save couldn't write is then gone. A file the store can't read as text is never saved
// over: while it stays as it was, changes stay in memory.
void Reload();
// Reads the file again when it changed on disk since the store read or wrote it (the
// player edited it, the game saved it), with the launcher's unsaved changes put back on
// top. Cheap when nothing changed: the window calls it whenever it is activated.
void ReloadIfChanged();
std::string FilePath();
// The file text as it would be saved now.
std::string Text();

}  // namespace SettingsStore

// Seams for tests: observing saves and pointing a fresh store at another file.
namespace SettingsStoreTesting {

struct SaveEvent {
  bool saved;                  // true when settings.ini was replaced
  unsigned change_tick;        // GetTickCount of the last change before the save
  unsigned save_tick;          // GetTickCount when the save finished
};
using SaveObserver = void (*)(const SaveEvent& event, void* context);

// Called under the store's lock after every save attempt; keep it short.
void SetSaveObserver(SaveObserver observer, void* context);
// Forgets everything in memory and reads `path` on next use. Pending changes are dropped.
void UseFile(const std::string& path);
bool IsDirty();

}  // namespace SettingsStoreTesting
