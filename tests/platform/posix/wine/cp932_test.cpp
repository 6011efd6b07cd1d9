// Code page 932 conversions: what the registry reader hands the core, what
// the path mapping looks up on disk, and what the GTK program shows.
#include "platform/posix/cp932.h"

#include <gtest/gtest.h>

#include "platform/posix/unicode_case.h"

namespace drelbin::cp932 {
namespace {

struct ToAnsiCase {
  const char* what;
  std::u16string utf16;
  std::string cp932;
};

class FromUtf16Test : public ::testing::TestWithParam<ToAnsiCase> {};

TEST_P(FromUtf16Test, GivesTheBytesOfTheAnsiInterface) {
  EXPECT_EQ(FromUtf16(GetParam().utf16), GetParam().cp932);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FromUtf16Test,
    ::testing::Values(
        ToAnsiCase{"ascii", u"C:\\Prog\\app.exe", "C:\\Prog\\app.exe"},
        ToAnsiCase{"trail byte 0x5C", u"\u30BD\u8868", "\x83\x5C\x95\x5C"},
        ToAnsiCase{"words", u"\u5171\u6709\u30C7\u30FC\u30BF",
                   "\x8B\xA4\x97\x4C\x83\x66\x81\x5B\x83\x5E"},
        ToAnsiCase{"NEC and IBM rows", u"\u2460\u9AD9", "\x87\x40\xFB\xFC"},
        ToAnsiCase{"NULs kept", std::u16string(u"a\0b\0", 4), std::string("a\0b\0", 4)},
        ToAnsiCase{"missing characters", u"\u00E9\u20AC", "??"},
        // Look-alikes that glibc would map, but that code page 932 lacks:
        // never a backslash or tilde made from a yen sign or overline.
        ToAnsiCase{"no best fit", u"\u00A5\u203E\u301C\u2212", "????"},
        ToAnsiCase{"fullwidth tilde is there", u"\uFF5E", "\x81\x60"},
        ToAnsiCase{"each half of a pair", u"\U0001F600", "??"},
        ToAnsiCase{"lone surrogates",
                   std::u16string(1, char16_t{0xD800}) + u"x" + std::u16string(1, char16_t{0xDC00}),
                   "?x?"}),
    [](const auto& row) {
      std::string name = row.param.what;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(Cp932Test, DecodesToUtf16AndUtf8) {
  EXPECT_EQ(ToUtf16("\x83\x5C\x95\x5C\\"), u"\u30BD\u8868\\");
  EXPECT_EQ(ToUtf8("C:\\\x8B\xA4\x97\x4C"), "C:\\\u5171\u6709");
  EXPECT_EQ(ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(ToUtf8(""), "");
}

TEST(Cp932Test, InvalidBytesAreErrorsOrReplacedForDisplay) {
  for (const std::string bad : {"\x81", "a\x81", "\x80", "\xA0", "\xFD", "\x81\x20"}) {
    EXPECT_FALSE(ToUtf16(bad)) << ::testing::PrintToString(bad);
    EXPECT_FALSE(ToUtf8(bad)) << ::testing::PrintToString(bad);
  }
  EXPECT_EQ(ToUtf8ForDisplay("a\x80"
                             "b\x83\x5C\x81"),
            "a\uFFFDb\u30BD\uFFFD");
  EXPECT_EQ(ToUtf8ForDisplay("\x82\xA0"), "\u3042");
}

TEST(Cp932Test, Utf8BothWays) {
  EXPECT_EQ(FromUtf8("\u30BD\u30D5\u30C8.exe"), "\x83\x5C\x83\x74\x83\x67.exe");
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b\xC0\xAF"),
            "a?b??");  // invalid UTF-8, overlong "/"
  EXPECT_EQ(Utf8ToUtf16("\u3042\U0001F600"), u"\u3042\U0001F600");
  for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81"}) {
    EXPECT_FALSE(Utf8ToUtf16(bad)) << ::testing::PrintToString(bad);
  }
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\uFFFD");
}

TEST(UnicodeCaseTest, MatchesAsWineDoesBeyondAscii) {
  using unicode::EqualIgnoringCase;
  EXPECT_TRUE(EqualIgnoringCase(u"Software", u"SOFTWARE"));
  EXPECT_TRUE(EqualIgnoringCase(u"\u00E4\u00F6\u00FC", u"\u00C4\u00D6\u00DC"));
  EXPECT_TRUE(EqualIgnoringCase(u"\uFF41\uFF42", u"\uFF21\uFF22"));  // fullwidth
  EXPECT_TRUE(EqualIgnoringCase(u"\u03B1", u"\u0391"));              // Greek
  EXPECT_FALSE(EqualIgnoringCase(u"\u30BD", u"\u30BE"));
  EXPECT_FALSE(EqualIgnoringCase(u"ab", u"abc"));
}

}  // namespace
}  // namespace drelbin::cp932
