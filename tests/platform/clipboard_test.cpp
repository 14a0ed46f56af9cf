#include "platform/clipboard.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

TEST(Clipboard, TextArrivesAsUnicodeText) {
  const std::string text = "Kestrane bug report\nZo\xC3\xAB \xE2\x9C\x93\n";
  ASSERT_TRUE(CopyToClipboard(nullptr, text));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::wstring got;
  if (data) {
    got = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  EXPECT_EQ(text::Utf8ToWide(text), got);
}

}  // namespace
