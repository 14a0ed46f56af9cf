#include "settings/settings_store.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/env.h"
#include "platform/files.h"
#include "platform/scoped_lock.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/settings_document.h"

namespace {

// [SECTION] State

// g_lock guards everything in g_store, the observer and the saver's event handle.
StaticLock g_lock;

struct StoreState {
  SettingsDocument doc;
  std::string path;          // fixed at first load
  bool loaded = false;
  bool dirty = false;
  // The file holds bytes the store can't read as text (NUL bytes that aren't UTF-16).
  // Saving would replace what the player wrote with what the store understood of it, so
  // it is never saved over; changes live in memory while `kept_bytes` is what it holds.
  bool keep_file = false;
  std::string kept_bytes;
  DWORD change_tick = 0;     // GetTickCount of the last change
  HANDLE saver_event = nullptr;
  SettingsStoreTesting::SaveObserver observer = nullptr;
  void* observer_context = nullptr;
};
StoreState g_store;

const DWORD kSaveDelayMs = 300;
const char kEmptyFileText[] =
    "# Kestrane settings. Only values you changed are listed; delete a line to go back to its default.\n";

// [SECTION] Loading and saving (callers hold g_lock)

void LoadLocked() {
  g_store.doc.lines.clear();
  g_store.loaded = true;
  // The lines are the file's again: whatever a failed save left pending is gone with them.
  g_store.dirty = false;
  g_store.keep_file = false;
  g_store.kept_bytes.clear();
  if (g_store.path.empty()) {
    std::string p;
    if (env::Get("KESTRANE_SETTINGS_FILE", &p) && !p.empty())
      g_store.path = p;
    else
      g_store.path = InstallLayout::LocalDir() + "\\settings.ini";
  }
  std::string bytes;
  if (!files::ReadAll(g_store.path, &bytes)) return;  // a missing file is an empty store
  std::string text;
  if (DecodeSettingsBytes(bytes, &text) != SettingsBytes::kUnreadable) {
    ParseSettingsText(&g_store.doc, text);
    return;
  }
  // What can be read still counts; the lock is recursive, so the log may read its setting.
  ParseSettingsText(&g_store.doc, bytes);
  g_store.keep_file = true;
  g_store.kept_bytes = bytes;
  LogLine("[launcher] %s holds bytes that aren't text; it is left as it is and changes to settings aren't saved",
          g_store.path.c_str());
}

void EnsureLoadedLocked() {
  if (!g_store.loaded) LoadLocked();
}

bool WriteAllAndClose(FILE* f, const std::string& textToWrite) {
  size_t n = textToWrite.empty() ? 0 : fwrite(textToWrite.data(), 1, textToWrite.size(), f);
  bool ok = n == textToWrite.size();
  if (fclose(f) != 0) ok = false;
  return ok;
}

void SaveLocked() {
  std::string body = RenderSettingsText(g_store.doc);
  if (body.empty()) body = kEmptyFileText;
  std::string tmp = g_store.path + ".tmp";
  bool saved = false;
  FILE* f = g_store.keep_file ? nullptr : fopen(tmp.c_str(), "wb");
  if (f) {
    if (WriteAllAndClose(f, body) &&
        MoveFileExA(tmp.c_str(), g_store.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      g_store.dirty = false;
      saved = true;
    }
  }
  // settings.ini is only ever replaced by the move, so a failed save leaves it untouched
  // and the change pending for the next attempt.
  if (!saved) DeleteFileA(tmp.c_str());
  if (g_store.observer) {
    SettingsStoreTesting::SaveEvent e = {saved, (unsigned)g_store.change_tick, (unsigned)GetTickCount()};
    g_store.observer(e, g_store.observer_context);
  }
}

// [SECTION] Saver thread

DWORD WINAPI SaverThread(LPVOID) {
  for (;;) {
    WaitForSingleObject(g_store.saver_event, INFINITE);
    for (;;) {
      DWORD wait = 0;
      {
        ScopedLock guard(&g_lock);
        if (!g_store.dirty) break;
        DWORD since = GetTickCount() - g_store.change_tick;  // unsigned: the tick wrap is harmless
        if (since >= kSaveDelayMs) {
          SaveLocked();
          break;
        }
        wait = kSaveDelayMs - since;
      }
      Sleep(wait);
    }
  }
}

void MarkChangedLocked() {
  g_store.dirty = true;
  g_store.change_tick = GetTickCount();
  if (!g_store.saver_event) {
    g_store.saver_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, SaverThread, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
  }
  if (g_store.saver_event) SetEvent(g_store.saver_event);
}

// [SECTION] Effective values

// "KESTRANE_" + the key upper-cased with dots as underscores, into a caller's buffer.
// False when the key is too long for it (no variable can then override it).
bool GenericVariableName(const char* key, char* name, size_t size) {
  const char kPrefix[] = "KESTRANE_";
  size_t n = sizeof kPrefix - 1;
  if (strlen(key) + n + 1 > size) return false;
  memcpy(name, kPrefix, n);
  for (const char* p = key; *p; ++p) {
    char c = *p;
    if (c == '.') c = '_';
    else if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    name[n++] = c;
  }
  name[n] = '\0';
  return true;
}

// Each thread owns four result strings, used in turn; reusing their buffers keeps the
// per-frame lookups free of allocation for short values.
std::string& NextResultSlot() {
  thread_local std::string ring[4];
  thread_local unsigned next = 0;
  return ring[next++ % 4];
}

// The value of the variable that overrides the key; `variable` receives its name (the
// generic one in `generic`, or the table's own). False when none does.
bool ReadOverride(const char* key, std::string* value, char* generic, size_t generic_size, const char** variable) {
  if (GenericVariableName(key, generic, generic_size) && env::GetInto(generic, value)) {
    *variable = generic;
    return true;
  }
  const SettingDef* def = FindSettingDef(key);
  if (def && def->variable && env::GetInto(def->variable, value)) {
    *variable = def->variable;
    return true;
  }
  return false;
}

void ReadEffective(const char* key, std::string* out) {
  if (!key) key = "";
  char generic[128];
  const char* variable = nullptr;
  if (ReadOverride(key, out, generic, sizeof generic, &variable)) return;
  {
    ScopedLock guard(&g_lock);
    EnsureLoadedLocked();
    int i = FindSettingsLine(g_store.doc, SplitSettingsKey(key));
    if (i >= 0) {
      out->assign(g_store.doc.lines[(size_t)i].value);
      return;
    }
  }
  const SettingDef* def = FindSettingDef(key);
  out->assign(def ? def->def : "");
}

}  // namespace

// [SECTION] Public operations

namespace SettingsStore {

const char* Get(const char* key) {
  std::string& slot = NextResultSlot();
  ReadEffective(key, &slot);
  return slot.c_str();
}

int GetInt(const char* key) {
  thread_local std::string scratch;
  ReadEffective(key, &scratch);
  return text::ParseIntLikeAtoi(scratch.c_str());
}

void Set(const char* key, const char* value) {
  if (!key) return;
  std::string v = text::Trim(value ? value : "");
  const SettingsKey k = SplitSettingsKey(key);
  const SettingDef* def = FindSettingDef(key);
  ScopedLock guard(&g_lock);
  EnsureLoadedLocked();
  bool changed = false;
  int i = FindSettingsLine(g_store.doc, k);
  if (def && v == def->def) {
    changed = RemoveSettingsLine(&g_store.doc, k);
  } else if (i >= 0) {
    std::string& old = g_store.doc.lines[(size_t)i].value;
    changed = old != v;
    old = v;
  } else {
    InsertSettingsLine(&g_store.doc, k, v);
    changed = true;
  }
  if (changed) MarkChangedLocked();
}

void SetInt(const char* key, int value) {
  char buf[16];
  snprintf(buf, sizeof buf, "%d", value);
  Set(key, buf);
}

void Reset(const char* key) {
  if (!key) return;
  ScopedLock guard(&g_lock);
  EnsureLoadedLocked();
  if (RemoveSettingsLine(&g_store.doc, SplitSettingsKey(key))) MarkChangedLocked();
}

void ResetSection(const char* section) {
  if (!section) return;
  std::string prefix = std::string(section) + ".";
  ScopedLock guard(&g_lock);
  EnsureLoadedLocked();
  bool changed = false;
  for (int i = 0; i < SettingDefCount(); ++i) {
    const char* key = SettingDefs()[i].key;
    if (strncmp(key, prefix.c_str(), prefix.size()) != 0) continue;
    if (strcmp(key, "launcher.dump_path") == 0) continue;  // the player's dump is not a preference
    if (RemoveSettingsLine(&g_store.doc, SplitSettingsKey(key))) changed = true;
  }
  if (changed) MarkChangedLocked();
}

const char* DefaultOf(const char* key) {
  const SettingDef* def = FindSettingDef(key);
  return def ? def->def : "";
}

bool NextStart(const char* key) {
  const SettingDef* def = FindSettingDef(key);
  return def && def->next_start;
}

const char* OverrideVariable(const char* key) {
  if (!key) return nullptr;
  thread_local std::string value;
  char generic[128];
  const char* variable = nullptr;
  if (!ReadOverride(key, &value, generic, sizeof generic, &variable)) return nullptr;
  if (variable != generic) return variable;  // the table's own name, static
  // Not Get's ring: a name asked for between Get calls would cut short their results' lives.
  thread_local std::string name;
  name = generic;
  return name.c_str();
}

void Flush() {
  ScopedLock guard(&g_lock);
  EnsureLoadedLocked();
  if (g_store.dirty) SaveLocked();
}

void Reload() {
  ScopedLock guard(&g_lock);
  EnsureLoadedLocked();
  if (g_store.dirty) SaveLocked();
  if (g_store.keep_file) {
    // Still the file that couldn't be read: the changes made since stay in memory.
    std::string bytes;
    if (files::ReadAll(g_store.path, &bytes) && bytes == g_store.kept_bytes) return;
  }
  LoadLocked();
}

std::string FilePath() {
  ScopedLock guard(&g_lock);
  EnsureLoadedLocked();
  return g_store.path;
}

std::string Text() {
  ScopedLock guard(&g_lock);
  EnsureLoadedLocked();
  return RenderSettingsText(g_store.doc);
}

}  // namespace SettingsStore

namespace SettingsStoreTesting {

void SetSaveObserver(SaveObserver observer, void* context) {
  ScopedLock guard(&g_lock);
  g_store.observer = observer;
  g_store.observer_context = context;
}

void UseFile(const std::string& path) {
  ScopedLock guard(&g_lock);
  g_store.doc.lines.clear();
  g_store.path = path;
  g_store.loaded = false;
  g_store.dirty = false;
  g_store.keep_file = false;
  g_store.kept_bytes.clear();
}

bool IsDirty() {
  ScopedLock guard(&g_lock);
  return g_store.dirty;
}

}  // namespace SettingsStoreTesting
