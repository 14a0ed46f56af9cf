#include "settings/settings_store.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/env.h"
#include "platform/files.h"
#include "platform/scoped_lock.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/settings_document.h"

namespace {

// [SECTION] State

// One change the launcher made since it last read or wrote the file: a value for the
// key, or (reset) its line removed.
struct PendingChange {
  std::string key;
  bool reset = false;
  std::string value;
};

// How settings.ini looked at one moment: its size and time for a cheap first look, and
// its bytes.
struct DiskState {
  enum Kind { kMissing, kRead, kUnreadable } kind = kMissing;  // kUnreadable: there, but couldn't be opened
  int64_t size = -1;
  FILETIME time = {};
  std::string bytes;
};

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
  // The file as the store last read or wrote it. The player (in a text editor) or the
  // game may change it meanwhile; a save first reads it again and, when it changed, puts
  // `pending` on top of what it holds now instead of writing the store's old copy.
  DiskState disk;
  // The launcher's own changes since then, in the order first made, one per key.
  std::vector<PendingChange> pending;
  DWORD change_tick = 0;     // GetTickCount of the last change
  HANDLE saver_event = nullptr;
  SettingsStoreTesting::SaveObserver observer = nullptr;
  void* observer_context = nullptr;
};
StoreState g_store;

const DWORD kSaveDelayMs = 300;
const char kEmptyFileText[] =
    "# Kestrane settings. Only values you changed are listed; delete a line to go back to its default.\n";

// [SECTION] Changes

bool SameKey(const std::string& a, const std::string& b) {
  const SettingsKey x = SplitSettingsKey(a.c_str()), y = SplitSettingsKey(b.c_str());
  return x.section == y.section && text::EqualsNoCase(x.name, y.name);
}

// Applies one change to the lines the way Set or Reset does; true when a line changed.
bool ApplyChange(SettingsDocument* doc, const PendingChange& change) {
  const SettingsKey k = SplitSettingsKey(change.key.c_str());
  const SettingDef* def = FindSettingDef(change.key.c_str());
  if (change.reset || (def && change.value == def->def)) return RemoveSettingsLine(doc, k);
  const int i = FindSettingsLine(*doc, k);
  if (i < 0) {
    InsertSettingsLine(doc, k, change.value);
    return true;
  }
  std::string& old = doc->lines[(size_t)i].value;
  if (old == change.value) return false;
  old = change.value;
  return true;
}

void RecordChangeLocked(const PendingChange& change) {
  for (PendingChange& p : g_store.pending)
    if (SameKey(p.key, change.key)) {
      p = change;  // the latest word on a key is the one that counts
      return;
    }
  g_store.pending.push_back(change);
}

// [SECTION] Loading and saving (callers hold g_lock)

// Size and time only.
DiskState LookAt(const std::string& path) {
  DiskState d;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    d.size = ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    d.time = data.ftLastWriteTime;
  }
  return d;
}

DiskState ReadDisk(const std::string& path) {
  DiskState d = LookAt(path);
  if (files::ReadAll(path, &d.bytes))
    d.kind = DiskState::kRead;
  else
    d.kind = files::Exists(path) ? DiskState::kUnreadable : DiskState::kMissing;
  return d;
}

bool SameLook(const DiskState& a, const DiskState& b) {
  return a.size == b.size && CompareFileTime(&a.time, &b.time) == 0;
}

// The file changed since the store read or wrote it (an unreadable file always counts).
bool ChangedOnDisk(const DiskState& now) {
  const DiskState& was = g_store.disk;
  return was.kind == DiskState::kUnreadable || now.kind != was.kind || now.bytes != was.bytes;
}

// Takes the file's lines as they are on disk and puts the launcher's pending changes back
// on top; a change the file already holds is pending no more.
void AdoptLocked(const DiskState& disk) {
  g_store.doc.lines.clear();
  g_store.keep_file = false;
  g_store.kept_bytes.clear();
  g_store.disk = disk;
  if (disk.kind == DiskState::kRead) {
    std::string text;
    if (DecodeSettingsBytes(disk.bytes, &text) != SettingsBytes::kUnreadable) {
      ParseSettingsText(&g_store.doc, text);
    } else {
      // What can be read still counts; the lock is recursive, so the log may read its setting.
      ParseSettingsText(&g_store.doc, disk.bytes);
      g_store.keep_file = true;
      g_store.kept_bytes = disk.bytes;
      LogLine("[launcher] %s holds bytes that aren't text; it is left as it is and changes to settings aren't saved",
              g_store.path.c_str());
    }
  }
  std::vector<PendingChange> still;
  for (const PendingChange& change : g_store.pending)
    if (ApplyChange(&g_store.doc, change)) still.push_back(change);
  g_store.pending.swap(still);
  g_store.dirty = !g_store.pending.empty();
}

void LoadLocked() {
  g_store.loaded = true;
  if (g_store.path.empty()) {
    std::string p;
    if (env::Get("KESTRANE_SETTINGS_FILE", &p) && !p.empty())
      g_store.path = p;
    else
      g_store.path = InstallLayout::LocalDir() + "\\settings.ini";
  }
  // The lines are the file's again: whatever a failed save left pending is gone with them.
  g_store.pending.clear();
  AdoptLocked(ReadDisk(g_store.path));  // a missing file is an empty store
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

void NotifySave(bool saved) {
  if (!g_store.observer) return;
  SettingsStoreTesting::SaveEvent e = {saved, (unsigned)g_store.change_tick, (unsigned)GetTickCount()};
  g_store.observer(e, g_store.observer_context);
}

void SaveLocked() {
  const DiskState now = ReadDisk(g_store.path);
  // There but unreadable (another program holds it whole): what it holds is unknown, so
  // nothing is written over it until it can be read.
  if (now.kind == DiskState::kUnreadable) {
    NotifySave(false);
    return;
  }
  if (ChangedOnDisk(now)) {
    AdoptLocked(now);
    if (!g_store.dirty) return;  // it holds every pending change already
  }
  std::string body = RenderSettingsText(g_store.doc);
  if (body.empty()) body = kEmptyFileText;
  std::string tmp = g_store.path + ".tmp";
  bool saved = false;
  FILE* f = g_store.keep_file ? nullptr : fopen(tmp.c_str(), "wb");
  if (f) {
    if (WriteAllAndClose(f, body) &&
        MoveFileExA(tmp.c_str(), g_store.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      g_store.dirty = false;
      g_store.pending.clear();
      saved = true;
      g_store.disk = LookAt(g_store.path);
      g_store.disk.kind = DiskState::kRead;
      g_store.disk.bytes = body;
    }
  }
  // settings.ini is only ever replaced by the move, so a failed save leaves it untouched
  // and the change pending for the next attempt.
  if (!saved) DeleteFileA(tmp.c_str());
  NotifySave(saved);
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

// The value of the variable that overrides the key (`def` its table row, or null);
// `variable` receives its name (the generic one in `generic`, or the table's own). False
// when none does.
bool ReadOverride(const char* key, const SettingDef* def, std::string* value, char* generic, size_t generic_size,
                  const char** variable) {
  if (GenericVariableName(key, generic, generic_size) && env::GetInto(generic, value)) {
    *variable = generic;
    return true;
  }
  if (def && def->variable && env::GetInto(def->variable, value)) {
    *variable = def->variable;
    return true;
  }
  return false;
}

// The effective value into `out`; `variable`, when given, receives the name of the
// variable that overrides it ("" for none). `def` is the key's table row, looked up once
// by the caller.
void ReadEffective(const char* key, const SettingDef* def, std::string* out, std::string* variable = nullptr) {
  if (!key) key = "";
  char generic[128];
  const char* name = nullptr;
  if (ReadOverride(key, def, out, generic, sizeof generic, &name)) {
    if (variable) variable->assign(name);
    return;
  }
  if (variable) variable->clear();
  {
    ScopedLock guard(&g_lock);
    EnsureLoadedLocked();
    int i = FindSettingsLine(g_store.doc, SplitSettingsKey(key));
    if (i >= 0) {
      out->assign(g_store.doc.lines[(size_t)i].value);
      return;
    }
  }
  out->assign(def ? def->def : "");
}

}  // namespace

// [SECTION] Public operations

namespace SettingsStore {

const char* Get(const char* key) {
  std::string& slot = NextResultSlot();
  ReadEffective(key, FindSettingDef(key), &slot);
  return slot.c_str();
}

int GetInt(const char* key) {
  thread_local std::string scratch;
  ReadEffective(key, FindSettingDef(key), &scratch);
  return text::ParseIntLikeAtoi(scratch.c_str());
}

void Set(const char* key, const char* value) {
  if (!key) return;
  PendingChange change;
  change.key = key;
  change.value = text::Trim(value ? value : "");
  ScopedLock guard(&g_lock);
  EnsureLoadedLocked();
  if (!ApplyChange(&g_store.doc, change)) return;
  RecordChangeLocked(change);
  MarkChangedLocked();
}

void SetInt(const char* key, int value) {
  char buf[16];
  snprintf(buf, sizeof buf, "%d", value);
  Set(key, buf);
}

void Reset(const char* key) {
  if (!key) return;
  PendingChange change;
  change.key = key;
  change.reset = true;
  ScopedLock guard(&g_lock);
  EnsureLoadedLocked();
  if (!ApplyChange(&g_store.doc, change)) return;
  RecordChangeLocked(change);
  MarkChangedLocked();
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
    PendingChange change;
    change.key = key;
    change.reset = true;
    if (!ApplyChange(&g_store.doc, change)) continue;
    RecordChangeLocked(change);
    changed = true;
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
  if (!ReadOverride(key, FindSettingDef(key), &value, generic, sizeof generic, &variable)) return nullptr;
  if (variable != generic) return variable;  // the table's own name, static
  // Not Get's ring: a name asked for between Get calls would cut short their results' lives.
  thread_local std::string name;
  name = generic;
  return name.c_str();
}

SettingView View(const char* key) {
  SettingView view;
  const SettingDef* def = FindSettingDef(key);
  ReadEffective(key, def, &view.value, &view.variable);
  if (def) {
    view.def = def->def;
    view.next_start = def->next_start;
  }
  return view;
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

void ReloadIfChanged() {
  ScopedLock guard(&g_lock);
  if (!g_store.loaded) return;  // the first use reads it anyway
  const DiskState look = LookAt(g_store.path);
  if (g_store.disk.kind != DiskState::kUnreadable && SameLook(look, g_store.disk)) return;
  const DiskState now = ReadDisk(g_store.path);
  if (now.kind == DiskState::kUnreadable) return;  // looked at again on the next activation
  if (!ChangedOnDisk(now)) {
    g_store.disk = now;  // touched, not changed
    return;
  }
  AdoptLocked(now);
  // Changes still pending go on top of the new text at the saver's next pass.
  if (g_store.dirty && g_store.saver_event) SetEvent(g_store.saver_event);
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
  g_store.disk = DiskState();
  g_store.pending.clear();
}

bool IsDirty() {
  ScopedLock guard(&g_lock);
  return g_store.dirty;
}

}  // namespace SettingsStoreTesting
