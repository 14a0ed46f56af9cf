#include "settings/game_data_folder.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/files.h"
#include "platform/text.h"
#include "settings/ini_file.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/settings_store.h"

const char* const kGameDataSubfolders[4] = {"disc", "cache", "textures", "dump"};

namespace {

const char kDumpIniComment[] = "written by the dump importer; paths to the player's own dump";

// Across volumes MoveFileEx can't move a folder; the shell copies and deletes instead.
bool ShellMove(const std::string& src, const std::string& dst) {
  std::wstring from = text::Utf8ToWide(src), to = text::Utf8ToWide(dst);
  from.push_back(L'\0');  // the lists end with a double NUL
  to.push_back(L'\0');
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_MOVE;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
  if (SHFileOperationW(&op) != 0 || op.fAnyOperationsAborted) return false;
  // Some shells report a move across volumes as done without doing it; trusting that
  // would send dump.ini's paths to a folder that isn't there.
  return files::IsFolder(dst);
}

// The path in `value` is inside (or is) `src`: only a whole folder name matches, so a
// sibling whose name merely extends src's (disc2 next to disc) is not rewritten.
bool IsWithin(const std::string& value, const std::string& src) {
  if (!text::StartsWithNoCase(value, src)) return false;
  return value.size() == src.size() || value[src.size()] == '\\' || value[src.size()] == '/';
}

void CorrectDumpIni(const std::string& src, const std::string& dst) {
  const std::string path = InstallLayout::DumpIniPath();
  IniMap ini;
  if (!ReadIniFile(path, &ini)) return;  // unreadable: the setup job records the dump again
  bool changed = false;
  for (const char* key : {"disc", "dol"}) {
    std::string& value = ini[key];
    if (!IsWithin(value, src)) continue;
    value = dst + value.substr(src.size());
    changed = true;
  }
  if (changed) WriteIniFile(path, ini, kDumpIniComment);
}

}  // namespace

bool MoveGameData(const std::string& old_dir, const std::string& new_dir, std::string* message) {
  bool ok = true;
  message->clear();
  for (const char* name : kGameDataSubfolders) {
    const std::string src = old_dir + "\\" + name;
    const std::string dst = new_dir + "\\" + name;
    if (!files::IsFolder(src)) continue;
    if (files::IsFolder(dst)) {
      *message += std::string("A ") + name + " folder is already in the new place; the old one was left. ";
      ok = false;
      continue;
    }
    if (!MoveFileExA(src.c_str(), dst.c_str(), MOVEFILE_COPY_ALLOWED) && !ShellMove(src, dst)) {
      *message += std::string("Couldn't move ") + name + ". ";
      ok = false;
      continue;
    }
    CorrectDumpIni(src, dst);
  }
  return ok;
}

bool ChangeDataDir(const std::string& chosen, std::string* message) {
  message->clear();
  const std::string old_dir = InstallLayout::DataDir();
  const std::string new_dir = InstallLayout::FullPath(chosen);
  if (text::EqualsNoCase(old_dir, new_dir)) return true;

  CreateDirectoryA(new_dir.c_str(), nullptr);
  if (!files::IsFolder(new_dir)) {
    *message = "That folder can't be created.";
    return false;
  }
  const bool ok = MoveGameData(old_dir, new_dir, message);
  SettingsStore::Set("launcher.data_dir", new_dir.c_str());
  SettingsStore::Flush();
  LogLine("[launcher] game data folder: %s -> %s%s%s", old_dir.c_str(), new_dir.c_str(), ok ? "" : ": ",
          ok ? "" : message->c_str());
  return ok;
}

void MigrateLocalGameData() {
  const std::string local = InstallLayout::LocalDir();
  const std::string data = InstallLayout::DataDir();
  if (text::EqualsNoCase(local, data)) return;
  bool any = false;
  for (const char* name : kGameDataSubfolders) any = any || files::IsFolder(local + "\\" + name);
  if (!any) return;
  std::string message;
  MoveGameData(local, data, &message);
  LogLine("[launcher] moved the game data from %s to %s%s%s", local.c_str(), data.c_str(),
          message.empty() ? "" : ": ", message.c_str());
}
