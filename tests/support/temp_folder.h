// A fresh folder under %TEMP% for one test, removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace testsupport {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + "\" + relative (forward slashes become backslashes).
  std::string Path(const std::string& relative) const;

 private:
  std::string path_;
};

// Fixture base: every test gets its own folder.
class TempFolderTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& relative) const { return temp_.Path(relative); }
  const std::string& root() const { return temp_.path(); }
  TempFolder temp_;
};

// Writes bytes to a file, creating missing parent folders.
bool WriteFile(const std::string& path, const std::string& bytes);
// The file's bytes, or "" when it cannot be read.
std::string ReadFile(const std::string& path);
bool MakeFolders(const std::string& path);
bool PathExists(const std::string& path);
// Deletes a folder tree (never following junctions); errors ignored.
void RemoveTree(const std::string& path);
// Waits until done() holds, looking again whenever something in `folder` changes (a file
// or folder appears, goes, is renamed or written); false after limit_ms. Each wait for a
// change is short, since a change may come and go between two looks.
bool WaitInFolder(const std::string& folder, const std::function<bool()>& done, unsigned limit_ms);

// The folder the running test program is in, with a trailing backslash; the launcher
// and the stand-in tools are built next to it.
std::string BinDir();
std::string KestraneExe();

}  // namespace testsupport
