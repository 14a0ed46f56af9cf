#include <gtest/gtest.h>

#include "platform/env.h"
#include "platform/text.h"
#include "tests/support/scoped_env.h"

namespace {

TEST(Text, Utf8AndUtf16RoundTrip) {
  const std::string zoe = "Zo\xC3\xAB \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8F\x81";  // with a non-BMP flag
  std::wstring wide = text::Utf8ToWide(zoe);
  EXPECT_EQ(L"Zo\u00EB \u65E5\u672C \U0001F3C1", wide);
  EXPECT_EQ(zoe, text::WideToUtf8(wide));
  EXPECT_EQ(L"", text::Utf8ToWide(""));
}

TEST(Text, CaseFoldingIsAsciiOnly) {
  EXPECT_TRUE(text::EqualsNoCase("Window_Mode", "window_mode"));
  EXPECT_FALSE(text::EqualsNoCase("window_mode", "window_mod"));
  EXPECT_FALSE(text::EqualsNoCase("\xC3\x8B", "\xC3\xAB"));  // Ë and ë differ
  EXPECT_TRUE(text::StartsWithNoCase("D:\\Games\\Disc", "d:\\games"));
  EXPECT_LT(text::CompareNoCase("abc", "ABD"), 0);
}

TEST(Text, TrimAndAtoi) {
  EXPECT_EQ("a b", text::Trim(" \t\r\na b\n "));
  EXPECT_EQ("", text::Trim(" \t "));
  EXPECT_EQ(0, text::ParseIntLikeAtoi(""));
  EXPECT_EQ(-12, text::ParseIntLikeAtoi(" -12abc"));
  EXPECT_EQ(0, text::ParseIntLikeAtoi("x12"));
  EXPECT_EQ(-2147483647 - 1, text::ParseIntLikeAtoi("-99999999999"));
}

TEST(Env, DefinedEmptyIsNotMissing) {
  {
    testsupport::ScopedEnv empty("KESTRANE_TEST_EMPTY", "");
    std::string v = "unchanged";
    EXPECT_TRUE(env::Get("KESTRANE_TEST_EMPTY", &v));
    EXPECT_EQ("", v);
  }
  EXPECT_FALSE(env::IsSet("KESTRANE_TEST_EMPTY"));
  testsupport::ScopedEnv zoe("KESTRANE_TEST_NAME", "Zo\xC3\xAB");
  EXPECT_EQ("Zo\xC3\xAB", env::Value("KESTRANE_TEST_NAME"));
}

}  // namespace
