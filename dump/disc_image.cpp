#include "dump/disc_image.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "dump/delete_tree.h"
#include "platform/files.h"
#include "platform/scoped_lock.h"
#include "platform/text.h"
#include "process/child_process.h"
#include "settings/game_data_folder.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"

namespace {

// What failure messages may quote of dtk's output.
const size_t kOutputLimit = 4096;

const char kDtkMissing[] =
    "The disc-image reader (tools\\dtk\\dtk.exe) is missing. Extract the disc with Dolphin instead "
    "(right-click the game, Extract Entire Disc) and choose that folder.";

// The start of dtk's own message, without the line end that would split a one-line detail.
std::string Quote(const std::string& output) {
  std::string quoted = output.substr(0, 200);
  while (!quoted.empty() && (quoted.back() == '\n' || quoted.back() == '\r' || quoted.back() == ' '))
    quoted.pop_back();
  return quoted;
}

// "vfs cp" of one path inside the disc to a path on the PC.
std::string CopyArguments(const std::string& image, const char* inside, const std::string& destination) {
  return "vfs cp --no-decompress -q \"" + image + ":" + inside + "\" \"" + destination + "\"";
}

std::string ReadStamp(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return std::string();
  char buf[2048];
  size_t n = fread(buf, 1, sizeof buf - 1, f);
  fclose(f);
  return std::string(buf, n);
}

void WriteStamp(const std::string& path, const std::string& stamp) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;  // without a stamp the next judgement extracts again
  fwrite(stamp.data(), 1, stamp.size(), f);
  fclose(f);
}

// The first six bytes of the copied header, up to a NUL.
std::string ReadProbeId(const std::string& boot_bin) {
  FILE* f = fopen(boot_bin.c_str(), "rb");
  if (!f) return std::string();
  char id[6];
  size_t n = fread(id, 1, sizeof id, f);
  fclose(f);
  return std::string(id, strnlen(id, n));
}

// dtk has been seen to write some tiny files as empty ones; the log shows which.
void LogEmptyFiles(const std::string& folder) {
  for (const files::FolderEntry& e : files::ListFolder(folder)) {
    if (e.link) continue;
    if (e.folder)
      LogEmptyFiles(folder + "\\" + e.name);
    else if (e.size == 0)
      LogLine("[launcher] disc image: %s\\%s came out empty (dtk tiny-file quirk?)", folder.c_str(), e.name.c_str());
  }
}

}  // namespace

std::string LocateDtk() {
  const std::string beside = InstallLayout::ExeDir() + "tools\\dtk\\dtk.exe";
  if (files::IsFile(beside)) return beside;
  const std::string root = InstallLayout::CheckoutRoot();
  if (!root.empty()) {
    const std::string sibling = root + "\\..\\skarvel\\build\\tools\\dtk.exe";
    if (files::IsFile(sibling)) return InstallLayout::FullPath(sibling);
  }
  return std::string();
}

int RunDtk(const std::string& arguments, std::string* output, CancelToken* cancel) {
  output->clear();
  const std::string dtk = LocateDtk();
  if (dtk.empty()) return -1;
  // Through the runner: its job object ends dtk, and whatever dtk started, on a cancel
  // and when the launcher closes, and only the output pipe reaches it.
  const std::wstring command = L"\"" + text::Utf8ToWide(dtk) + L"\" " + text::Utf8ToWide(arguments);
  const uint32_t code = ChildProcess::Run(
      command, "", {},
      [output](const std::string& line) {
        if (output->size() >= kOutputLimit) return;
        *output += line;
        *output += '\n';
        if (output->size() > kOutputLimit) output->resize(kOutputLimit);
      },
      cancel);
  return code == kToolDidNotStart ? -1 : (int)code;
}

StaticLock* DiscFolderLock() {
  static StaticLock lock;
  return &lock;
}

bool ExtractDiscImage(DumpJudgement* image, std::string* folder, std::string* game_id, CancelToken* cancel) {
  folder->clear();
  game_id->clear();
  const std::string disc = InstallLayout::DiscDir();
  const std::string data = disc + "\\DATA";
  const std::string probe = disc + "\\probe";
  // Both are emptied before the copy: an image kept in one would be deleted by its own
  // reading. (A disc folder of the player's own is refused below.)
  for (const std::string& replaced : {data, probe}) {
    if (!IsLauncherFolder(disc) || !IsInsideFolder(image->path, replaced)) continue;
    image->message = image->path + " is inside " + replaced +
                     ", which Kestrane empties whenever it reads a disc image. Move the image to another folder (your "
                     "Documents, say) and choose it there.";
    return false;
  }
  if (LocateDtk().empty()) {
    image->message = kDtkMissing;
    return false;
  }
  const std::string stamp_path = disc + "\\image.txt";
  const std::string stamp = DiscImageStamp(image->path);  // enough to notice a replaced or touched image

  if (ReadStamp(stamp_path) == stamp && files::IsFile(data + "\\sys\\main.dol") && files::IsFolder(data + "\\files")) {
    *folder = data;
    *game_id = ReadGameId(data + "\\files");
    return true;
  }

  // DATA and probe are replaced below; in a disc folder of the player's own (the data
  // folder may be D:\) they would be the player's.
  if (!MakeLauncherFolder(disc)) {
    image->message = disc + " wasn't made by Kestrane, so no disc image is extracted into it. Move that folder "
                            "away or choose another game data folder.";
    return false;
  }
  // The header alone tells another game or region apart before the long copy.
  DeleteTree(probe);
  CreateDirectoryA(probe.c_str(), nullptr);
  std::string output;
  if (RunDtk(CopyArguments(image->path, "sys/boot.bin", probe + "\\boot.bin"), &output, cancel) != 0) {
    image->message = "This file couldn't be read as a Wii disc image. " + Quote(output);
    DeleteTree(probe);
    return false;
  }
  *game_id = ReadProbeId(probe + "\\boot.bin");
  DeleteTree(probe);
  if (*game_id != kSupportedGameId) {
    image->message = game_id->size() >= 3 && game_id->compare(0, 3, "RKV") == 0
                         ? "Kestrane is built from the USA version only."
                         : "This isn't Skarvel.";
    return false;
  }

  // The stamp is removed before DATA is touched: left naming the earlier image, it would
  // vouch for a half-replaced DATA if this extraction never finished.
  DeleteFileA(stamp_path.c_str());
  DeleteTree(data);
  CreateDirectoryA(data.c_str(), nullptr);
  const bool copied = RunDtk(CopyArguments(image->path, "sys", data + "\\sys"), &output, cancel) == 0 &&
                      RunDtk(CopyArguments(image->path, "files", data + "\\files"), &output, cancel) == 0;
  if (!copied) {
    image->message = "Reading the disc image failed: " + Quote(output);
    DeleteTree(data);
    return false;
  }
  LogEmptyFiles(data);
  WriteStamp(stamp_path, stamp);
  *folder = data;
  return true;
}
