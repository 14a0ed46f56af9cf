#include "launcher/pickers.h"

#include <windows.h>
#include <shobjidl.h>

#include "launcher/launcher_state.h"
#include "platform/text.h"

namespace {

std::string RunDialog(const std::wstring& title, FILEOPENDIALOGOPTIONS extra, const COMDLG_FILTERSPEC* filters,
                      UINT filter_count) {
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                              reinterpret_cast<void**>(&dialog))))
    return std::string();
  std::string result;
  FILEOPENDIALOGOPTIONS options = 0;
  if (SUCCEEDED(dialog->GetOptions(&options)) && SUCCEEDED(dialog->SetOptions(options | extra)) &&
      (filter_count == 0 || SUCCEEDED(dialog->SetFileTypes(filter_count, filters))) &&
      SUCCEEDED(dialog->SetTitle(title.c_str())) && SUCCEEDED(dialog->Show(Launcher().hwnd))) {
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->GetResult(&item))) {
      PWSTR path = nullptr;
      if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
        result = text::WideToUtf8(path);
        CoTaskMemFree(path);
      }
      item->Release();
    }
  }
  dialog->Release();
  return result;
}

}  // namespace

std::string PickFolder(const std::wstring& title) {
  return RunDialog(title, FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST, nullptr, 0);
}

std::string PickDiscImage() {
  static const COMDLG_FILTERSPEC kFilters[] = {
      {L"Wii disc images", L"*.iso;*.rvz;*.wia;*.wbfs;*.ciso;*.gcz;*.nfs"},
      {L"All files", L"*.*"},
  };
  return RunDialog(L"Choose your Skarvel disc image", FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST, kFilters, 2);
}
