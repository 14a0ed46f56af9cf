// Stand-in for the disc-image reader dtk, as the launcher runs it:
//
//   dtk.exe vfs cp --no-decompress -q "<image>:<path inside>" "<destination>"
//
// Copies one file (sys/boot.bin) to a file, or one folder (sys, files) to a folder that
// then holds that folder's contents. Exit code 0 on success; on failure a message on
// standard error and exit code 1 (2 for a command line it doesn't know). Images are in
// the format of disc_archive.h; anything else "can't be read".
//
// Steered through its environment (which it inherits from the launcher):
//   STANDIN_DTK_LOG=<file>            appends each command line, one per line
//   STANDIN_DTK_FAIL=<path inside>    copying that path fails after its first file
//   STANDIN_DTK_EMPTY=<a,b,...>       files with these names come out empty (0 bytes)
//   STANDIN_DTK_KILL_PARENT=<path>    copying that path kills the calling process after
//                                     its first file, as if the launcher died mid-copy
//   STANDIN_DTK_HANG=<path inside>    copying that path, after its first file (and after
//                                     killing the parent, when asked to), writes its
//                                     process id to STANDIN_DTK_HANG_NOTE=<file> and never
//                                     ends by itself
//   STANDIN_DTK_WAIT_FOR=<file>       does nothing until that file exists (at most two
//                                     minutes), so a test can watch a long extraction
#include <windows.h>
#include <tlhelp32.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/tools/disc_archive.h"

namespace {

std::string Env(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

int Fail(const std::string& message, int code = 1) {
  fprintf(stderr, "Error: %s\n", message.c_str());
  return code;
}

void MakeFolders(const std::string& path) {
  for (size_t i = 3; i < path.size(); ++i)
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
}

std::string BaseName(const std::string& name) {
  size_t cut = name.find_last_of('/');
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

bool Listed(const std::string& list, const std::string& name) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    if (list.compare(start, end - start, name) == 0) return true;
    start = end + 1;
  }
  return false;
}

void KillParent() {
  const DWORD self = GetCurrentProcessId();
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 pe = {};
  pe.dwSize = sizeof pe;
  for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe)) {
    if (pe.th32ProcessID != self) continue;
    if (HANDLE parent = OpenProcess(PROCESS_TERMINATE, FALSE, pe.th32ParentProcessID)) {
      TerminateProcess(parent, 9);
      CloseHandle(parent);
    }
    break;
  }
  CloseHandle(snap);
}

// Notes this process's id (written whole through a .tmp file, so a reader never sees
// part of it), kills the caller when asked to, and waits until something ends it.
[[noreturn]] void Hang(const std::string& note, bool kill_parent) {
  if (!note.empty()) {
    if (FILE* f = fopen((note + ".tmp").c_str(), "wb")) {
      fprintf(f, "%lu", (unsigned long)GetCurrentProcessId());
      fclose(f);
      MoveFileExA((note + ".tmp").c_str(), note.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
  }
  if (kill_parent) KillParent();
  Sleep(INFINITE);
  ExitProcess(3);
}

// Copies `size` bytes from the image to `out_path` (or skips them when out_path is empty).
bool CopyBytes(FILE* image, uint64_t size, const std::string& out_path, bool empty) {
  FILE* out = out_path.empty() ? nullptr : fopen(out_path.c_str(), "wb");
  if (!out_path.empty() && !out) return false;
  bool ok = true;
  if (!out || empty) {
    ok = _fseeki64(image, (long long)size, SEEK_CUR) == 0;
  } else {
    std::vector<char> buf(1 << 20);
    while (ok && size > 0) {
      size_t want = size < buf.size() ? (size_t)size : buf.size();
      ok = fread(buf.data(), 1, want, image) == want && fwrite(buf.data(), 1, want, out) == want;
      size -= want;
    }
  }
  if (out) ok = (fclose(out) == 0) && ok;
  return ok;
}

std::string Native(const std::string& path) {
  std::string out = path;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string log = Env("STANDIN_DTK_LOG");
  if (!log.empty()) {
    if (FILE* f = fopen(log.c_str(), "a")) {
      for (int i = 1; i < argc; ++i) fprintf(f, i > 1 ? " %s" : "%s", argv[i]);
      fputc('\n', f);
      fclose(f);
    }
  }
  const std::string wait_for = Env("STANDIN_DTK_WAIT_FOR");
  for (int i = 0; !wait_for.empty() && i < 2400 && GetFileAttributesA(wait_for.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(50);
  if (argc != 7 || strcmp(argv[1], "vfs") != 0 || strcmp(argv[2], "cp") != 0 ||
      strcmp(argv[3], "--no-decompress") != 0 || strcmp(argv[4], "-q") != 0)
    return Fail("usage: dtk vfs cp --no-decompress -q <image>:<path> <destination>", 2);

  const std::string source = argv[5];
  const std::string destination = argv[6];
  const size_t colon = source.find_last_of(':');
  if (colon == std::string::npos || colon < 2 || colon + 1 >= source.size())
    return Fail("expected <image>:<path inside the disc>, got " + source, 2);
  const std::string image_path = source.substr(0, colon);
  const std::string inside = source.substr(colon + 1);

  FILE* image = fopen(image_path.c_str(), "rb");
  if (!image) return Fail("failed to open " + image_path + ": " + strerror(errno));
  char magic[sizeof disc_archive::kMagic];
  if (fread(magic, 1, sizeof magic, image) != sizeof magic || memcmp(magic, disc_archive::kMagic, sizeof magic) != 0) {
    fclose(image);
    return Fail(image_path + ": unsupported or corrupt disc image (unknown format)");
  }

  const bool fail_here = Env("STANDIN_DTK_FAIL") == inside;
  const bool kill_here = Env("STANDIN_DTK_KILL_PARENT") == inside;
  const bool hang_here = Env("STANDIN_DTK_HANG") == inside;
  const std::string empty_names = Env("STANDIN_DTK_EMPTY");
  int copied = 0;
  bool matched = false;
  for (;;) {
    char kind = 0;
    std::string name;
    if (!disc_archive::GetHeader(image, &kind, &name)) {
      fclose(image);
      return Fail(image_path + ": truncated disc image");
    }
    if (kind == disc_archive::kEnd) break;
    uint64_t size = 0;
    if (kind == disc_archive::kFile && !disc_archive::GetInt(image, &size, 8)) {
      fclose(image);
      return Fail(image_path + ": truncated disc image");
    }
    std::string target;
    if (name == inside) {
      matched = true;
      if (kind == disc_archive::kFolder) MakeFolders(destination);
      else target = destination;
    } else if (name.compare(0, inside.size() + 1, inside + "/") == 0) {
      matched = true;
      MakeFolders(destination);
      target = destination + "\\" + Native(name.substr(inside.size() + 1));
      if (kind == disc_archive::kFolder) {
        MakeFolders(target);
        target.clear();
      }
    }
    if (kind != disc_archive::kFile) continue;
    if (!CopyBytes(image, size, target, Listed(empty_names, BaseName(name)))) {
      fclose(image);
      return Fail("couldn't write " + target);
    }
    if (target.empty()) continue;
    if (++copied == 1 && hang_here) Hang(Env("STANDIN_DTK_HANG_NOTE"), kill_here);
    if (copied == 1 && kill_here) KillParent();
    if (copied == 1 && (fail_here || kill_here)) {
      fclose(image);
      return Fail("read error in " + inside + " (block checksum mismatch)");
    }
  }
  fclose(image);
  if (!matched) return Fail(inside + ": no such file or directory in the disc image");
  return 0;
}
