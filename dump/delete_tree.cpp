#include "dump/delete_tree.h"

#include <windows.h>

#include "platform/files.h"

namespace {

void RemoveEntry(const std::string& path, bool folder) {
  if (folder)
    RemoveDirectoryA(path.c_str());  // for a junction or folder link: the link only
  else
    DeleteFileA(path.c_str());
}

void DeleteContents(const std::string& folder) {
  for (const files::FolderEntry& e : files::ListFolder(folder)) {
    const std::string path = folder + "\\" + e.name;
    if (e.folder && !e.link) DeleteContents(path);
    RemoveEntry(path, e.folder);
  }
}

}  // namespace

void DeleteTree(const std::string& folder) {
  if (!files::Exists(folder)) return;
  if (files::IsPlainFolder(folder)) DeleteContents(folder);
  RemoveEntry(folder, files::IsFolder(folder));
}
