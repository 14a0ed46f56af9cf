// The nine Settings pages: what each draws in the content column (at the row cursor,
// inside the frame of settings_screen.h) and in the right-hand column, and the files
// they show, read when a page opens rather than every frame.
#pragma once

#include <string>

#include "launcher/launcher_state.h"

struct SettingsPageDef {
  const wchar_t* title;        // also the side list's label
  const char* icon;            // the side list's icon
  const char* reset_section;   // "Reset this page" resets it; null: the page has no reset
  void (*content)();
  void (*column)();
};

// The pages in SettingsPage order.
const SettingsPageDef& SettingsPageAt(SettingsPage page);

// Reads what the page shows from disk into Launcher().settings_files.
void LoadSettingsPageFiles(SettingsPage page);

// Each page's two parts, as SettingsPageAt lists them.
void GameFilesContent();
void GameFilesColumn();
void DisplayContent();
void DisplayColumn();
void GraphicsContent();
void GraphicsColumn();
void AudioContent();
void AudioColumn();
void ControlsContent();
void ControlsColumn();
void LanguageContent();
void LanguageColumn();
void BuildsContent();
void BuildsColumn();
void LogsContent();
void LogsColumn();
void AboutContent();
void AboutColumn();

namespace SettingsPagesTesting {
// The folder picker the Game data folder's CHANGE… opens (PickFolder when null).
using FolderPicker = std::string (*)(const std::wstring& title);
void SetFolderPicker(FolderPicker picker);
}  // namespace SettingsPagesTesting
