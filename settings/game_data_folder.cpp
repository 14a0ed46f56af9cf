#include "settings/game_data_folder.h"

#include <windows.h>
#include <shellapi.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/text.h"
#include "settings/ini_file.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/settings_store.h"

const char* const kGameDataSubfolders[4] = {"disc", "cache", "textures", "dump"};
const char kLauncherFolderMark[] = "made-by-kestrane.txt";

namespace {

const char kMarkText[] =
    "Kestrane made this folder and may replace, move or delete what is in it. Without this file it leaves the "
    "folder alone.\n";

// disc\image.txt counts as an earlier version's only when it reads as the stamp that
// version wrote: a player's disc folder may well hold a file of that name.
bool HoldsDiscImageStamp(const std::string& path) {
  std::string bytes;
  return files::IsFile(path) && files::FileSize(path) < 2048 && files::ReadAll(path, &bytes) &&
         IsDiscImageStamp(bytes);
}

// What earlier versions wrote into the sub-folders they made, before there was a mark,
// and how to tell it from a player's entry of the same name (null: by its name alone).
const struct {
  const char* folder;
  const char* entry;
  bool (*check)(const std::string& path);
} kEarlierVersionSigns[] = {
    {"disc", "image.txt", HoldsDiscImageStamp},
    {"dump", "dump.ini", nullptr},
    {"cache", "enhanced", nullptr},
    {"cache", "dumpnand", nullptr},
};

std::string NameOf(const std::string& folder) {
  const size_t cut = folder.find_last_of("\\/");
  return cut == std::string::npos ? folder : folder.substr(cut + 1);
}

bool WriteMark(const std::string& folder) {
  const std::string mark = folder + "\\" + kLauncherFolderMark;
  if (files::IsFile(mark)) return true;
  FILE* f = fopen(mark.c_str(), "wb");
  if (!f) return false;
  const bool ok = fwrite(kMarkText, 1, sizeof kMarkText - 1, f) == sizeof kMarkText - 1;
  return fclose(f) == 0 && ok;
}

// One folder, however each path is spelled: the same full path without regard to case,
// or the same folder on disk (short names, links).
bool SameFolder(const std::string& a, const std::string& b) {
  return text::EqualsAsFileName(InstallLayout::FullPath(a), InstallLayout::FullPath(b)) || files::SameEntry(a, b);
}

}  // namespace

bool IsInsideFolder(const std::string& inner, const std::string& outer) {
  std::string path = InstallLayout::FullPath(inner);
  for (size_t cut = path.find_last_of('\\'); cut != std::string::npos && cut >= 2; cut = path.find_last_of('\\')) {
    path.resize(cut > 2 ? cut : 3);  // a drive root keeps its separator
    if (files::SameEntry(path, outer)) return true;
    if (cut <= 2) break;
  }
  return false;
}

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

bool IsLauncherFolder(const std::string& folder) {
  if (!files::IsPlainFolder(folder)) return false;
  if (files::IsFile(folder + "\\" + kLauncherFolderMark)) return true;
  const std::string name = NameOf(InstallLayout::FullPath(folder));
  for (const auto& sign : kEarlierVersionSigns) {
    if (!text::EqualsNoCase(name, sign.folder)) continue;
    const std::string entry = folder + "\\" + sign.entry;
    if (sign.check ? sign.check(entry) : files::Exists(entry)) return true;
  }
  return false;
}

std::string DiscImageStamp(const std::string& image) {
  char tail[128];
  snprintf(tail, sizeof tail, "|%lld|%s", (long long)files::FileSize(image), InstallLayout::FileDate(image).c_str());
  return image + tail;
}

bool IsDiscImageStamp(const std::string& stamp) {
  if (stamp.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
  const size_t date_bar = stamp.rfind('|');
  if (date_bar == std::string::npos || date_bar == 0) return false;
  const size_t size_bar = stamp.rfind('|', date_bar - 1);
  if (size_bar == std::string::npos) return false;
  // The image's full path: a drive's or a network share's.
  const std::string path = stamp.substr(0, size_bar);
  const bool drive = path.size() >= 3 && isalpha((unsigned char)path[0]) && path[1] == ':' &&
                     (path[2] == '\\' || path[2] == '/');
  if (!drive && path.rfind("\\\\", 0) != 0) return false;
  const std::string size = stamp.substr(size_bar + 1, date_bar - size_bar - 1);
  if (size != "-1" && (size.empty() || size.find_first_not_of("0123456789") != std::string::npos)) return false;
  // The file's time as InstallLayout::FileDate writes it, or nothing when it had none.
  const std::string date = stamp.substr(date_bar + 1);
  if (date.empty()) return true;
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int day = 0, year = 0, hour = -1, minute = -1, end = 0;
  char month[4] = "";
  if (sscanf(date.c_str(), "%2d %3s %4d, %2d:%2d%n", &day, month, &year, &hour, &minute, &end) != 5 ||
      (size_t)end != date.size())
    return false;
  bool known_month = false;
  for (const char* m : kMonths) known_month = known_month || strcmp(m, month) == 0;
  return known_month && day >= 1 && day <= 31 && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

bool MakeLauncherFolder(const std::string& folder) {
  if (CreateDirectoryA(folder.c_str(), nullptr)) {
    WriteMark(folder);  // without it an earlier version's sign still tells, or the folder is left alone
    return true;
  }
  // An empty folder holds nothing of the player's that the launcher could harm.
  if (!IsLauncherFolder(folder) && !(files::IsPlainFolder(folder) && files::ListFolder(folder).empty()))
    return false;
  return WriteMark(folder);
}

bool MoveGameData(const std::string& old_dir, const std::string& new_dir, std::string* message) {
  bool ok = true;
  message->clear();
  const bool launchers_own = SameFolder(old_dir, InstallLayout::LocalDir());
  for (const char* name : kGameDataSubfolders) {
    const std::string src = InstallLayout::Join(old_dir, name);
    const std::string dst = InstallLayout::Join(new_dir, name);
    if (!files::IsFolder(src)) continue;
    if (!launchers_own && !IsLauncherFolder(src)) {
      *message += src + " wasn't made by Kestrane, so it stays where it is. ";
      ok = false;
      continue;
    }
    if (files::IsFolder(dst)) {
      *message += std::string("A ") + name + " folder is already in the new place; the old one was left. ";
      ok = false;
      continue;
    }
    WriteMark(src);  // so that it is still known as the launcher's wherever it goes
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
  if (SameFolder(old_dir, new_dir)) return true;
  // Moving into itself would leave half of the sub-folders in one place and half in the other.
  if (IsInsideFolder(new_dir, old_dir)) {
    *message = new_dir + " is inside the current game data folder, " + InstallLayout::FullPath(old_dir) +
               ". Choose a folder outside it.";
    return false;
  }

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
  if (SameFolder(local, data)) return;
  bool any = false;
  for (const char* name : kGameDataSubfolders) any = any || files::IsFolder(InstallLayout::Join(local, name));
  if (!any) return;
  std::string message;
  MoveGameData(local, data, &message);
  LogLine("[launcher] moved the game data from %s to %s%s%s", local.c_str(), data.c_str(),
          message.empty() ? "" : ": ", message.c_str());
}
