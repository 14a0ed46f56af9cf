#include "launcher/dump_texts.h"

#include "launcher/launcher_state.h"
#include "platform/text.h"

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

std::wstring DumpLabel(const DumpJudgement& j) {
  const std::wstring id = text::Utf8ToWide(j.game_id);
  switch (j.kind) {
    case kDumpBeingChecked: return L"Checking this disc…";
    case kDumpReady: return L"Wii disc, USA (RKVE01)";
    case kDumpIncomplete:
      return j.game_id == kSupportedGameId    ? L"Wii disc, USA (RKVE01)"
             : HasDiscImageExtension(j.path) ? L"Disc image"
                                              : L"Disc folder";
    default:  // kDumpNotSupported
      if (j.game_id.empty()) return L"Wii disc (unknown game)";
      if (StartsWith(j.game_id, "RKVP")) return L"Wii disc, Europe (" + id + L")";
      if (StartsWith(j.game_id, "RKVJ")) return L"Wii disc, Japan (" + id + L")";
      return L"Wii disc (" + id + L")";
  }
}

std::wstring DumpDetail(const DumpJudgement& j) {
  switch (j.kind) {
    case kDumpBeingChecked: return L"Reading it now. A disc image can take a few minutes.";
    case kDumpReady: return std::wstring();
    case kDumpIncomplete: return text::Utf8ToWide(j.message);
    default:  // kDumpNotSupported
      // A changed main.dol has its own reason; a foreign disc is told what runs instead.
      if (MainDolChanged(j)) return text::Utf8ToWide(j.message);
      if (StartsWith(j.game_id, "RKV") && j.game_id != kSupportedGameId)
        return L"Kestrane is built from the USA version only. Other regions may come later.";
      return L"This isn't the retail USA disc. Kestrane only runs RKVE01.";
  }
}
