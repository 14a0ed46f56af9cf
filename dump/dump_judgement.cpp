#include "dump/dump_judgement.h"

#include <windows.h>
#include <bcrypt.h>

#include <cctype>
#include <cstdio>
#include <vector>

#include "dump/disc_image.h"
#include "platform/files.h"
#include "platform/scoped_lock.h"
#include "platform/text.h"
#include "platform/window_thread.h"
#include "settings/install_layout.h"

namespace {

const char* const kImageExtensions[] = {"iso", "rvz", "wia", "wbfs", "ciso", "gcz", "nfs"};

const char kNoGameFiles[] = "No game files in this folder. Choose the folder that has sys and files in it.";
const char kMainDolMissing[] = "main.dol is missing (sys\\main.dol). Dump or extract your disc again.";
const char kNotRetailUsa[] =
    "This disc doesn't match the retail USA game (RKVE01), so Kestrane can't run it. Other regions aren't "
    "supported yet.";
// The disc says it is RKVE01, so "another region" would be wrong: its main.dol was changed.
const char kMainDolChanged[] =
    "main.dol doesn't match the retail USA release (RKVE01), so this dump is modified or damaged. Dump your disc "
    "again.";

// SHA-1 through CNG, reading the file in 64 KiB blocks through one buffer.
std::string Sha1OfFile(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return std::string();
  BCRYPT_ALG_HANDLE alg = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  std::vector<UCHAR> object;
  UCHAR digest[20];
  bool ok = BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA1_ALGORITHM, nullptr, 0));
  DWORD object_size = 0, got = 0;
  ok = ok && BCRYPT_SUCCESS(BCryptGetProperty(alg, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&object_size),
                                              sizeof object_size, &got, 0));
  if (ok) object.resize(object_size);
  ok = ok && BCRYPT_SUCCESS(BCryptCreateHash(alg, &hash, object.data(), object_size, nullptr, 0, 0));
  std::vector<UCHAR> block(65536);
  size_t n;
  while (ok && (n = fread(block.data(), 1, block.size(), f)) > 0)
    ok = BCRYPT_SUCCESS(BCryptHashData(hash, block.data(), (ULONG)n, 0));
  ok = ok && BCRYPT_SUCCESS(BCryptFinishHash(hash, digest, sizeof digest, 0));
  if (hash) BCryptDestroyHash(hash);
  if (alg) BCryptCloseAlgorithmProvider(alg, 0);
  fclose(f);
  if (!ok) return std::string();
  char hex[41];
  for (int i = 0; i < 20; ++i) snprintf(hex + 2 * i, 3, "%02x", digest[i]);
  return std::string(hex, 40);
}

DumpJudgement JudgeDiscImage(const std::string& path, bool measure_size, CancelToken* cancel) {
  // From the extraction until main.dol is hashed, no other judgement may replace DATA.
  ScopedLock judging(DiscFolderLock());
  DumpJudgement scratch;
  scratch.path = InstallLayout::FullPath(path);
  std::string folder, game_id;
  if (ExtractDiscImage(&scratch, &folder, &game_id, cancel)) {
    DumpJudgement j = JudgeDump(folder, false);
    j.path = scratch.path;
    if (measure_size) j.bytes = files::FileSize(scratch.path);
    return j;
  }
  scratch.game_id = game_id;
  scratch.recognised = !game_id.empty() && game_id != kSupportedGameId;
  return scratch;
}

}  // namespace

const char* DumpKindName(int kind) {
  switch (kind) {
    case kDumpReady: return "ready";
    case kDumpNotSupported: return "not supported";
    default: return "incomplete";
  }
}

bool HasDiscImageExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = (char)tolower((unsigned char)c);
  for (const char* known : kImageExtensions)
    if (ext == known) return true;
  return false;
}

bool IsDiscImage(const std::string& path) { return HasDiscImageExtension(path) && files::IsFile(path); }

bool MainDolChanged(const DumpJudgement& j) {
  return j.recognised && !j.verified && !j.sha1.empty() && j.game_id == kSupportedGameId;
}

bool LocateGameFiles(const std::string& path, std::string* files_dir, std::string* dol_path, std::string* failure) {
  const std::string p = InstallLayout::FullPath(path);
  if (files::IsFile(p)) {
    *failure = "not a folder or a known disc image: " + p;
    return false;
  }
  struct Layout {
    std::string files, dol;
  };
  // A drive's root (D:\) ends with its separator already; D:\\files would be its files.
  const std::string base = p.back() == '\\' ? p.substr(0, p.size() - 1) : p;
  const Layout layouts[] = {
      {base + "\\DATA\\files", base + "\\DATA\\sys\\main.dol"},
      {base + "\\files", base + "\\sys\\main.dol"},
      {p, base + "\\..\\sys\\main.dol"},
  };
  for (const Layout& l : layouts) {
    if (!files::IsFile(l.files + "\\tocres.res")) continue;
    *files_dir = l.files;
    *dol_path = InstallLayout::FullPath(l.dol);
    return true;
  }
  *failure = "no tocres.res found under " + p + " (expected DATA\\files, files\\, or the files folder itself)";
  return false;
}

std::string ReadGameId(const std::string& files_dir) {
  FILE* f = fopen((files_dir + "\\..\\sys\\boot.bin").c_str(), "rb");
  if (!f) return std::string();
  char id[6];
  const size_t n = fread(id, 1, sizeof id, f);
  fclose(f);
  if (n != sizeof id) return std::string();
  for (char c : id)
    if (!isalnum((unsigned char)c)) return std::string();
  return std::string(id, sizeof id);
}

std::string HashMainDol(const std::string& files_dir, const std::string& dol_path, bool* matches) {
  OFF_WINDOW_THREAD("HashMainDol");
  std::string file = dol_path;
  if (file.empty()) {
    std::string dir = files_dir;
    while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    file = dir + "\\..\\sys\\main.dol";
  }
  const std::string digest = Sha1OfFile(file);
  *matches = digest.size() == 40 && digest == kExpectedMainDolSha1;
  return digest;
}

DumpJudgement JudgeDump(const std::string& path, bool measure_size, CancelToken* cancel) {
  OFF_WINDOW_THREAD("JudgeDump");
  if (IsDiscImage(path)) return JudgeDiscImage(path, measure_size, cancel);

  DumpJudgement j;
  j.path = InstallLayout::FullPath(path);
  std::string failure;
  if (!LocateGameFiles(path, &j.files_dir, &j.dol_path, &failure)) {
    if (!files::Exists(j.path))
      j.message = "There's nothing at " + j.path + ". Check the path, or choose your dump again if you moved it.";
    else if (failure.find("no tocres.res") != std::string::npos)
      j.message = kNoGameFiles;
    else
      j.message = failure;
    return j;
  }

  // The dump is recorded by the folder above files, or above DATA in the DATA layout; a
  // drive's own DATA folder (D:\DATA) stays as it is.
  std::string root = InstallLayout::FullPath(j.files_dir + "\\..");
  const size_t cut = root.find_last_of('\\');
  if (cut != std::string::npos && cut >= 3 && text::EqualsNoCase(root.substr(cut + 1), "DATA")) root.resize(cut);
  j.path = root;

  j.game_id = ReadGameId(j.files_dir);
  j.sha1 = HashMainDol(j.files_dir, j.dol_path, &j.verified);
  if (j.sha1.empty()) {
    j.message = kMainDolMissing;
    return j;
  }
  j.recognised = true;
  if (!j.verified) j.message = j.game_id == kSupportedGameId ? kMainDolChanged : kNotRetailUsa;
  if (measure_size) j.bytes = FolderSize(InstallLayout::FullPath(j.files_dir + "\\.."));
  return j;
}

DumpJudgement ClassifyDump(const std::string& path, CancelToken* cancel) {
  DumpJudgement j = JudgeDump(path, true, cancel);
  j.kind = j.verified ? kDumpReady : j.recognised ? kDumpNotSupported : kDumpIncomplete;
  return j;
}
