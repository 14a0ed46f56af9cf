// Benchmark (not a test): generates about 200 MiB of resource sets and prints ResourceCrc
// throughput beside the time to read the same bytes, drCreateTexture throughput per
// format, and a full scan beside reading its files.
//   resdata_bench [STEP] [FOLDER] [MIB]   (default: all, %TEMP%\kestrane_resdata_bench, 200)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resdata/gx_texture.h"
#include "resdata/resource_crc.h"
#include "resdata/resource_library.h"
#include "resdata/resource_scan.h"
#include "tests/resdata/res_fixture.h"

using namespace resfixture;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

const int kCodes[] = {0, 1, 2, 3, 16, 17, 64, 65, 69, 70, 71, 72, 73, 74, 75};

// One set of about `bytes`: textures of every format (about 40% of the bytes), other
// resources of noise, a quarter of everything outside the resident block.
SetContents MakeSet(int index, size_t bytes) {
  SetContents s;
  s.external_toc = index % 2 == 1;
  size_t total = 0;
  for (int r = 0; total < bytes; ++r) {
    Resource res;
    res.resident = r % 4 != 3;
    res.name = "res" + std::to_string(r);
    if (r % 5 < 2) {
      const int code = kCodes[(index * 7 + r) % (sizeof kCodes / sizeof kCodes[0])];
      res.type = kTex;
      res.version = 15;
      res.name += ".tm0";
      res.bytes = SampleTex(code, 256, 256, uint32_t(index * 1000 + r));
    } else {
      res.type = 0x4D4F444C;
      res.bytes = Noise(96 * 1024 + size_t(r % 7) * 16 * 1024, uint32_t(index * 1000 + r));
    }
    total += res.bytes.size();
    s.resources.push_back(std::move(res));
  }
  return s;
}

std::vector<std::string> WriteFixture(const std::string& folder, size_t mib) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const char* extensions[] = {".res", ".trk", ".car", ".sng"};
  const size_t per_set = 5u << 20;
  const int count = int((mib << 20) / per_set);
  std::vector<std::pair<std::string, SetContents>> external;
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    char name[32];
    snprintf(name, sizeof name, "set%02d%s", i, extensions[i % 4]);
    SetContents layout = MakeSet(i, per_set);
    if (!WriteBytes(folder + "\\" + name, BuildSet(layout).file)) return {};
    if (layout.external_toc) external.emplace_back(name, std::move(layout));
    files.push_back(name);
  }
  if (!WriteBytes(folder + "\\tocres.res", BuildTocres(external))) return {};
  files.push_back("tocres.res");
  return files;
}

// Reads every file through in 1 MiB pieces, as a copy tool would; returns seconds.
double ReadAllFiles(const std::string& folder, const std::vector<std::string>& files, size_t* bytes) {
  std::vector<char> buffer(1 << 20);
  *bytes = 0;
  const auto start = Clock::now();
  for (const std::string& f : files) {
    FILE* in = fopen((folder + "\\" + f).c_str(), "rb");
    if (!in) continue;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), in)) > 0) *bytes += n;
    fclose(in);
  }
  return Seconds(start);
}

std::string LoadFile(const std::string& path) {
  std::string out;
  FILE* in = fopen(path.c_str(), "rb");
  if (!in) return out;
  char buffer[1 << 16];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) out.append(buffer, n);
  fclose(in);
  return out;
}

void BenchCrc(const std::string& folder, const std::vector<std::string>& files, double read_seconds) {
  std::vector<std::string> contents;
  size_t bytes = 0;
  for (const std::string& f : files) {
    contents.push_back(LoadFile(folder + "\\" + f));
    bytes += contents.back().size();
  }
  uint32_t sliced = 0, plain = 0;
  double best = 1e9, bytewise = 1e9;
  for (int round = 0; round < 3; ++round) {
    sliced = 0;
    auto start = Clock::now();
    for (const std::string& c : contents) sliced ^= ResourceCrc(c.data(), c.size());
    best = std::min(best, Seconds(start));
  }
  auto start = Clock::now();
  for (const std::string& c : contents) plain ^= ResourceCrcBytewise(c.data(), c.size());
  bytewise = Seconds(start);
  const double mb = double(bytes) / 1e6;
  printf("ResourceCrc      %8.0f MB/s  (%.0f MB in %.3f s; the byte loop: %.0f MB/s)\n", mb / best, mb, best,
         mb / bytewise);
  printf("reading the same %8.0f MB/s  (%.3f s)%s\n", mb / read_seconds, read_seconds,
         sliced == plain ? "" : "   THE TWO CRC FORMS DISAGREE");
}

void BenchDecode() {
  printf("\ndrCreateTexture, 1024 x 1024:\n");
  for (int code : kCodes) {
    const std::string tex = SampleTex(code, 1024, 1024, uint32_t(code));
    DecodedTexture t;
    drCreateTexture(tex.data(), tex.size(), 15, &t);  // warm up
    int reps = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
      if (!drCreateTexture(tex.data(), tex.size(), 15, &t)) {
        printf("  format 0x%02x: failed: %s\n", unsigned(code), t.error.c_str());
        break;
      }
      ++reps;
      elapsed = Seconds(start);
    } while (elapsed < 0.4);
    printf("  format 0x%02x %-30s %8.0f megapixels/s\n", unsigned(code), t.format_name.c_str(),
           reps * 1024.0 * 1024.0 / 1e6 / elapsed);
  }
}


double ScanSeconds(const std::string& folder, ScanTotals* totals) {
  const std::vector<std::string> sets = ListResourceSets(folder);
  ResourceLibrary lib;
  auto start = Clock::now();
  if (!lib.Open(folder)) return -1;
  *totals = ScanResourceSets(lib, sets, nullptr);
  return Seconds(start);
}

int Usage() {
  printf("usage: resdata_bench [all|generate|warm|read|scan|remove] [FOLDER] [MIB]\n");
  return 2;
}

void RemoveFixture(const std::string& folder) {
  for (const std::string& f : ListResourceSets(folder)) DeleteFileA((folder + "\\" + f).c_str());
  RemoveDirectoryA(folder.c_str());
}

// Everything from a warm file cache: reads and scans are each the best of three.
int Warm(const std::string& folder) {
  const std::vector<std::string> files = ListResourceSets(folder);  // tocres.res among them
  size_t bytes = 0;
  double read_seconds = 1e9;
  for (int round = 0; round < 3; ++round) read_seconds = std::min(read_seconds, ReadAllFiles(folder, files, &bytes));
  printf("%zu files, %.1f MiB\n\n", files.size(), double(bytes) / (1 << 20));
  BenchCrc(folder, files, read_seconds);
  BenchDecode();
  double scan_seconds = 1e9;
  ScanTotals totals;
  for (int round = 0; round < 3; ++round) scan_seconds = std::min(scan_seconds, ScanSeconds(folder, &totals));
  printf("\nfull scan, warm: %d sets, %d textures decoded, %d failed: %.3f s; reading its files: %.3f s; %.2fx\n",
         totals.sets, totals.decoded, totals.failed_textures + totals.failed_sets, scan_seconds, read_seconds,
         scan_seconds / read_seconds);
  return totals.Clean() ? 0 : 1;
}

}  // namespace

// "all" (the default) generates, measures from a warm cache and removes the fixture. The
// single steps let scripts/bench-resdata.sh drop the file cache in between, for cold figures.
int main(int argc, char** argv) {
  const std::string step = argc > 1 ? argv[1] : "all";
  std::string folder;
  if (argc > 2) {
    folder = argv[2];
  } else {
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp, n) + "kestrane_resdata_bench";
  }
  const size_t mib = argc > 3 ? size_t(atoi(argv[3])) : 200;

  if (step == "generate" || step == "all") {
    printf("generating about %zu MiB of resource sets in %s ...\n", mib, folder.c_str());
    if (WriteFixture(folder, mib).empty()) {
      printf("could not write the fixture in %s\n", folder.c_str());
      return 1;
    }
    if (step == "generate") return 0;
  }
  if (step == "all") {
    const int status = Warm(folder);
    RemoveFixture(folder);
    return status;
  }
  if (step == "warm") return Warm(folder);
  if (step == "read") {
    size_t bytes = 0;
    const double seconds = ReadAllFiles(folder, ListResourceSets(folder), &bytes);
    printf("read, cold: %.1f MiB in %.3f s (%.0f MB/s)\n", double(bytes) / (1 << 20), seconds,
           double(bytes) / 1e6 / seconds);
    return 0;
  }
  if (step == "scan") {
    ScanTotals totals;
    const double seconds = ScanSeconds(folder, &totals);
    printf("scan, cold: %d sets, %d textures decoded, %d failed: %.3f s\n", totals.sets, totals.decoded,
           totals.failed_sets + totals.failed_textures, seconds);
    return seconds >= 0 && totals.Clean() ? 0 : 1;
  }
  if (step == "remove") {
    RemoveFixture(folder);
    return 0;
  }
  return Usage();
}
