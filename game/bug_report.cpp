#include "game/bug_report.h"

#include <windows.h>

#include <cstdio>
#include <deque>
#include <vector>

#include "dump/dump_status.h"
#include "game/run_records.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "platform/window_thread.h"
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

// [SECTION] Scrubbing

// What a scrub has put in, or what was there already: never looked into again, so a user
// name such as USER can't turn %USERPROFILE% into %<user>PROFILE%.
const char* const kMarkers[] = {"%USERPROFILE%", "<user>"};

// Text decoded into one code per character, folded so that letters compare without
// regard to case the way Windows compares file names, with each character's length in
// bytes. A byte that doesn't start a whole UTF-8 sequence stands for itself, apart from
// every character. The folding is one CharUpperBuffW call over all the text's characters
// of the Basic Multilingual Plane.
struct Folded {
  std::vector<uint32_t> codes;
  std::vector<uint8_t> lengths;
};

Folded Fold(const char* s, size_t size) {
  Folded f;
  f.codes.reserve(size);
  f.lengths.reserve(size);
  std::wstring plane;  // the foldable characters, in order
  plane.reserve(size);
  for (size_t at = 0; at < size;) {
    const unsigned char b = (unsigned char)s[at];
    size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    uint32_t c = n == 1 ? b : n == 2 ? (b & 0x1Fu) : n == 3 ? (b & 0x0Fu) : (b & 0x07u);
    for (size_t k = 1; k < n; ++k) {
      if (at + k >= size || ((unsigned char)s[at + k] & 0xC0) != 0x80) {
        n = 0;
        break;
      }
      c = c << 6 | ((unsigned char)s[at + k] & 0x3Fu);
    }
    if (n == 0) {
      n = 1;
      c = 0x110000u + b;
    } else if (c < 0x10000 && (c < 0xD800 || c > 0xDFFF)) {
      plane += (wchar_t)c;
    }
    f.codes.push_back(c);
    f.lengths.push_back((uint8_t)n);
    at += n;
  }
  if (!plane.empty()) CharUpperBuffW(plane.data(), (DWORD)plane.size());
  size_t next = 0;
  for (uint32_t& c : f.codes)
    if (c < 0x10000 && (c < 0xD800 || c > 0xDFFF)) c = plane[next++];
  return f;
}

Folded Fold(const std::string& s) { return Fold(s.data(), s.size()); }

// How many characters from `at` equal `what`, or 0.
size_t MatchAt(const Folded& text, size_t at, const std::vector<uint32_t>& what) {
  if (what.empty() || at + what.size() > text.codes.size()) return 0;
  for (size_t j = 0; j < what.size(); ++j)
    if (text.codes[at + j] != what[j]) return 0;
  return what.size();
}

std::vector<uint32_t> FoldedCodes(const std::string& s) { return Fold(s).codes; }

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts(1);
  for (char c : path) {
    if (c == '\\' || c == '/')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  while (parts.size() > 1 && parts.back().empty()) parts.pop_back();  // trailing separators
  return parts;
}

std::string ConvertedPath(DWORD (WINAPI* convert)(LPCWSTR, LPWSTR, DWORD), const std::string& path) {
  const std::wstring wide = text::Utf8ToWide(path);
  wchar_t out[1040];
  const DWORD n = convert(wide.c_str(), out, 1040);
  return n == 0 || n >= 1040 ? std::string() : text::WideToUtf8(std::wstring(out, n));
}

// What the scrub looks for, folded once: the home folder as it may be written (each of
// its folder names long or in its short 8.3 form, any mix of backslashes and slashes
// between them), the user name, and the markers.
struct Needles {
  std::vector<std::vector<std::vector<uint32_t>>> profile;  // per folder name, its spellings
  std::vector<uint32_t> user;                               // empty: not replaced
  std::vector<std::vector<uint32_t>> markers;
};

Needles NeedlesFromEnvironment() {
  Needles needles;
  for (const char* marker : kMarkers) needles.markers.push_back(FoldedCodes(marker));
  std::string profile, user;
  if (env::Get("USERPROFILE", &profile)) {
    const std::vector<std::string> parts = SplitPath(profile);
    if (!(parts.size() == 1 && parts[0].empty())) {
      for (const std::string& part : parts) needles.profile.push_back({FoldedCodes(part)});
      for (auto* convert : {&GetLongPathNameW, &GetShortPathNameW}) {
        const std::vector<std::string> other = SplitPath(ConvertedPath(convert, profile));
        if (other.size() != parts.size()) continue;
        for (size_t k = 0; k < parts.size(); ++k) needles.profile[k].push_back(FoldedCodes(other[k]));
      }
    }
  }
  // Two letters are in too many words.
  if (env::Get("USERNAME", &user) && user.size() > 2) needles.user = FoldedCodes(user);
  return needles;
}

size_t MatchProfileAt(const Folded& text, size_t at, const Needles& needles) {
  if (needles.profile.empty()) return 0;
  size_t i = at;
  for (size_t k = 0; k < needles.profile.size(); ++k) {
    if (k > 0) {
      if (i >= text.codes.size() || (text.codes[i] != '\\' && text.codes[i] != '/')) return 0;
      ++i;
    }
    size_t longest = 0;
    bool any = false;
    for (const std::vector<uint32_t>& name : needles.profile[k]) {
      const size_t n = MatchAt(text, i, name);
      if (n > 0 || name.empty()) any = true;
      if (n > longest) longest = n;
    }
    if (!any) return 0;
    i += longest;
  }
  return i - at;
}

// Scrubs one piece of text into `out`.
void ScrubPiece(const char* piece, size_t size, const Needles& needles, std::string* out) {
  const Folded text = Fold(piece, size);
  size_t byte = 0;
  auto take = [&](size_t i, size_t count, const char* replacement) {
    size_t bytes = 0;
    for (size_t k = 0; k < count; ++k) bytes += text.lengths[i + k];
    if (replacement)
      *out += replacement;
    else
      out->append(piece + byte, bytes);
    byte += bytes;
  };
  for (size_t i = 0; i < text.codes.size();) {
    size_t n = 0;
    for (const std::vector<uint32_t>& marker : needles.markers)
      if (n == 0) n = MatchAt(text, i, marker);
    if (n > 0) {
      take(i, n, nullptr);
    } else if ((n = MatchProfileAt(text, i, needles)) > 0) {
      take(i, n, kMarkers[0]);
    } else if ((n = MatchAt(text, i, needles.user)) > 0) {
      take(i, n, kMarkers[1]);
    } else {
      n = 1;
      take(i, 1, nullptr);
    }
    i += n;
  }
}

// [SECTION] Writing

bool WriteWhole(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

}  // namespace

std::string ComposeReport(const DumpStatus& dump, const BuildStatus& build) {
  OFF_WINDOW_THREAD("ComposeReport");
  std::string out;
  out += std::string(product::kName) + " bug report\n";
  out += std::string("version ") + product::kVersion + ", launcher " + product::kLauncherVersion + "\n";
  out += "build: " + (build.built ? build.built_time : std::string("not built"));
  if (!build.source_ref.empty()) out += ", decomp " + build.source_ref;
  out += "\n";
  out += std::string("dump: ") + (dump.judgement.verified ? "verified RKVE01" : "not verified") +
         ", main.dol sha1 " + (dump.judgement.sha1.empty() ? std::string("-") : dump.judgement.sha1) + "\n";

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
  const Needles needles = NeedlesFromEnvironment();
  std::string out;
  out.reserve(text.size());
  // In pieces of whole lines: nothing scrubbed spans a line end, and the folded copy of a
  // piece stays small however long the log is.
  constexpr size_t kPiece = 1 << 20;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.size();
    if (end - start > kPiece) {
      const size_t line_end = text.find('\n', start + kPiece);
      if (line_end != std::string::npos) end = line_end + 1;
    }
    ScrubPiece(text.data() + start, end - start, needles, &out);
    start = end;
  }
  return out;
}

std::string WriteReportFolder(const DumpStatus& dump, const BuildStatus& build) {
  OFF_WINDOW_THREAD("WriteReportFolder");
  const std::string parent = InstallLayout::LocalDir() + "\\reports";
  CreateDirectoryA(parent.c_str(), nullptr);
  const std::string folder = parent + "\\" + local_time::Now("report_%Y-%m-%d_%H%M%S");
  if (!CreateDirectoryA(folder.c_str(), nullptr)) return std::string();

  bool ok = WriteWhole(folder + "\\report.txt", ComposeReport(dump, build));
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
