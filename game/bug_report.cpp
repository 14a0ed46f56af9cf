#include "game/bug_report.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

#include "dump/dump_records.h"
#include "game/run_records.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/product.h"
#include "settings/settings_store.h"

namespace {

// Log and crash-report lines are fgets pieces of this size: a longer line counts as several.
const int kPieceSize = 2048;
const size_t kLogTailLines = 200;
const size_t kCrashReportLines = 200;

// [SECTION] Composing

void AppendLogTail(std::string* out) {
  FILE* f = fopen(ErrorLogPath().c_str(), "r");
  if (!f) {
    *out += "(no log: \"Save error logs\" is off or the game hasn't run yet)\n";
    return;
  }
  std::deque<std::string> tail;
  char piece[kPieceSize];
  while (fgets(piece, sizeof piece, f)) {
    tail.emplace_back(piece);
    if (tail.size() > kLogTailLines) tail.pop_front();
  }
  fclose(f);
  for (const std::string& line : tail) *out += line;
}

void AppendCrashReport(std::string* out, const std::vector<RunRecord>& runs) {
  if (runs.empty()) return;
  const std::string report = FindCrashReport(runs[0]);
  if (report.empty()) return;
  FILE* f = fopen(report.c_str(), "r");
  if (!f) return;
  *out += "\n## " + report.substr(report.find_last_of('\\') + 1) + "\n";
  char piece[kPieceSize];
  for (size_t n = 0; n < kCrashReportLines && fgets(piece, sizeof piece, f); ++n) *out += piece;
  fclose(f);
}

// Replaces every occurrence, left to right, never looking into what it put in.
void ReplaceAll(std::string* text, const std::string& what, const std::string& with) {
  if (what.empty()) return;
  std::string out;
  size_t from = 0;
  for (size_t at = text->find(what); at != std::string::npos; at = text->find(what, from)) {
    out.append(*text, from, at - from);
    out += with;
    from = at + what.size();
  }
  if (from == 0) return;
  out.append(*text, from, std::string::npos);
  text->swap(out);
}

// [SECTION] Writing

bool WriteWhole(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

}  // namespace

std::string ComposeReport() {
  const DumpStatus status = ReadDumpStatus();
  std::string out;
  out += std::string(product::kName) + " bug report\n";
  out += std::string("version ") + product::kVersion + ", launcher " + product::kLauncherVersion + "\n";
  out += "build: " + (status.built ? status.built_time : std::string("not built"));
  if (!status.source_ref.empty()) out += ", decomp " + status.source_ref;
  out += "\n";
  out += std::string("dump: ") + (status.judgement.verified ? "verified RKVE01" : "not verified") +
         ", main.dol sha1 " + (status.judgement.sha1.empty() ? std::string("-") : status.judgement.sha1) + "\n";

  out += "\n## Last runs\n";
  const std::vector<RunRecord> runs = ReadRuns();
  for (const RunRecord& run : runs)
    out += run.startedAt + "  " + std::to_string(run.seconds) + " s  " + text::WideToUtf8(OutcomeText(run.exitCode)) +
           "\n";

  out += "\n## settings.ini (changed values only)\n";
  out += SettingsStore::Text();
  out += "\n## kestrane_log.txt (last 200 lines)\n";
  AppendLogTail(&out);
  AppendCrashReport(&out, runs);
  return ScrubPersonalData(out);
}

std::string ScrubPersonalData(const std::string& text) {
  std::string out = text;
  std::string profile;
  if (env::Get("USERPROFILE", &profile)) {
    ReplaceAll(&out, profile, "%USERPROFILE%");
    std::string forward = profile;
    for (char& c : forward)
      if (c == '\\') c = '/';
    ReplaceAll(&out, forward, "%USERPROFILE%");
  }
  std::string user;
  if (env::Get("USERNAME", &user) && user.size() > 2) ReplaceAll(&out, user, "<user>");
  return out;
}

std::string WriteReportFolder() {
  const std::string parent = InstallLayout::LocalDir() + "\\reports";
  CreateDirectoryA(parent.c_str(), nullptr);
  const std::string folder = parent + "\\" + local_time::Now("report_%Y-%m-%d_%H%M%S");
  if (!CreateDirectoryA(folder.c_str(), nullptr)) return std::string();

  bool ok = WriteWhole(folder + "\\report.txt", ComposeReport());
  const std::string log = ErrorLogPath();
  for (int n = 0; n <= 4; ++n) {
    const std::string suffix = n == 0 ? std::string() : "." + std::to_string(n);
    const std::string source = log + suffix;
    if (!files::Exists(source)) continue;
    std::string bytes;
    files::ReadAll(source, &bytes);  // one that exists but won't open gives an empty copy
    ok = WriteWhole(folder + "\\kestrane_log" + suffix + ".txt", ScrubPersonalData(bytes)) && ok;
  }
  ok = WriteWhole(folder + "\\settings.ini", ScrubPersonalData(SettingsStore::Text())) && ok;
  return ok ? folder : std::string();
}

// [SECTION] Handing it over

bool CopyToClipboard(HWND window, const std::string& utf8) {
  const std::wstring wide = text::Utf8ToWide(utf8);
  if (!OpenClipboard(window)) return false;
  bool ok = false;
  if (EmptyClipboard()) {
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* target = memory ? GlobalLock(memory) : nullptr;
    if (target) {
      memcpy(target, wide.c_str(), bytes);
      GlobalUnlock(memory);
      // The clipboard owns the memory only once it took it.
      ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (memory && !ok) GlobalFree(memory);
  }
  CloseClipboard();
  return ok;
}

void OpenInShell(const std::string& path) {
  ShellExecuteW(nullptr, L"open", text::Utf8ToWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
