// The registry file reader over files that Wine wrote and over hand-made
// lines that Wine's loader would skip or read in its own way.
#include "platform/posix/wine/reg_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "tests/platform/posix/wine/test_prefix.h"

namespace drelbin::wine {
namespace {

using testing::ReadFixture;

const KeyPath kUninstall32 = {u"Software",       u"Wow6432Node", u"Microsoft",          u"Windows",
                              u"CurrentVersion", u"Uninstall",   u"TARNVEX for Windows"};

std::string Utf16(std::u16string_view text, bool with_nul = true) {
  std::string bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  if (with_nul) bytes.append(2, '\0');
  return bytes;
}

std::optional<RegValue> Value(const RegFile& file, const KeyPath& key, std::u16string_view name) {
  const auto where = file.FindKey(key);
  if (!where) return std::nullopt;
  return file.FindValue(key, *where, name);
}

TEST(RegFileTest, ReadsTheValuesThatWineWrote) {
  const std::string text = ReadFixture("system.reg");
  const RegFile file(text);
  ASSERT_TRUE(file.IsRegistry());
  EXPECT_TRUE(file.IsWin64());

  struct Case {
    std::u16string name;
    std::uint32_t type;
    std::string data;
  };
  const Case cases[] = {
      {u"DisplayIcon", 1, Utf16(u"C:\\Program Files\\TARNVEX\\\u30BD\u30D5\u30C8\u8868.exe,0")},
      {u"displayicon", 1, Utf16(u"C:\\Program Files\\TARNVEX\\\u30BD\u30D5\u30C8\u8868.exe,0")},
      {u"", 1, Utf16(u"default value")},
      {u"Empty", 1, Utf16(u"")},
      {u"Expand", 2, Utf16(u"%ProgramFiles%\\TARNVEX\\app.exe")},
      {u"Multi", 7, Utf16(std::u16string(u"one\0two\0\u4E09\0", 10))},
      {u"Number", 4, std::string("\x78\x56\x34\x12", 4)},
      {u"Qword", 11, std::string("\x88\x77\x66\x55\x44\x33\x22\x11", 8)},
      {u"None", 0, std::string("a\0b\0c\0\0\0", 8)},
      {u"Escapes", 1, Utf16(u"back\\\\slash \"quote\" tab\tend \u00E9\u20AC\U0001F600 \u2460")},
      {u"NAME \"WITH\" \\ AND \u00C9", 1, Utf16(u"x")},
  };
  for (const Case& c : cases) {
    const auto value = Value(file, kUninstall32, c.name);
    ASSERT_TRUE(value) << ::testing::PrintToString(Utf16(c.name, false));
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data, c.data) << ::testing::PrintToString(Utf16(c.name, false));
  }
  std::string bin;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 16; ++i) bin.push_back(static_cast<char>(i * 0x11));
  }
  const auto continued = Value(file, kUninstall32, u"Bin");
  ASSERT_TRUE(continued);
  EXPECT_EQ(continued->type, 3u);
  EXPECT_EQ(continued->data, bin);
  EXPECT_FALSE(Value(file, kUninstall32, u"Missing"));
}

TEST(RegFileTest, ReadsHexStringsAndEscapesThatWineWrote) {
  const std::string text = ReadFixture("system.reg");
  const RegFile file(text);
  const KeyPath key = {u"Software", u"Wow6432Node", u"Drelbin Hex Strings"};
  struct Case {
    std::u16string name;
    std::uint32_t type;
    std::string data;
  };
  const Case cases[] = {
      {u"HexSz", 1, Utf16(u"C:\\\u30BD\u30D5\\a.exe")},
      {u"HexExpand", 2, Utf16(u"%A%\\")},
      {u"HexOdd", 1, std::string("\x41\0\0\0\0", 5)},
      {u"MidNul", 1, Utf16(std::u16string(u"A\0B", 3))},
      {u"ZeroDword", 4, ""},
      {u"EmptyBin", 3, ""},
      {u"Lines", 1, Utf16(u"line1\nline2")},
      {u"Control", 1, Utf16(u"cr\rlf\nbell\001x\0337")},
      {u"Digits", 1, Utf16(u"\u88681 \u00E92 \u30BDa")},
  };
  for (const Case& c : cases) {
    const auto value = Value(file, key, c.name);
    ASSERT_TRUE(value) << ::testing::PrintToString(Utf16(c.name, false));
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data, c.data) << ::testing::PrintToString(Utf16(c.name, false));
  }
}

TEST(RegFileTest, FindsKeysWithoutRegardToCaseAndTheirParents) {
  const std::string system = ReadFixture("system.reg");
  const RegFile machine(system);
  EXPECT_TRUE(machine.FindKey({u"SOFTWARE", u"wow6432node", u"MICROSOFT", u"windows",
                               u"currentversion", u"UNINSTALL", u"tarnvex FOR windows"}));
  // A parent with no key line of its own exists, but holds no values.
  const auto parent = machine.FindKey({u"Software", u"Wow6432Node", u"Microsoft"});
  ASSERT_TRUE(parent);
  EXPECT_EQ(parent->first_section, std::string_view::npos);
  EXPECT_TRUE(machine.FindKey({}));
  EXPECT_FALSE(machine.FindKey({u"Software", u"Wow6432Node", u"Micro"}));
  EXPECT_FALSE(machine.FindKey({u"Software", u"Nothing"}));

  const std::string user = ReadFixture("user.reg");
  const RegFile current_user(user);
  const KeyPath fullwidth = {
      u"software", u"\uFF44\uFF52\uFF45\uFF4C\uFF42\uFF49\uFF4E \uFF43\uFF41\uFF53\uFF45"};
  const auto value = Value(current_user, fullwidth, u"\uFF41\uFF42\uFF43");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data, Utf16(u"fullwidth"));
  const auto latin =
      Value(current_user, {u"Software", u"\u00E4\u00F6\u00FC KEY"}, u"\u00C4\u00D6\u00DC");
  ASSERT_TRUE(latin);
  EXPECT_EQ(latin->data, Utf16(u"latin1"));
}

// Hand-made files: the header, then `body`.  Each case names what Wine's
// loader makes of it, as the value "A" of key "K" (nullopt: no such value;
// kSpoilt: REG_NONE without data, what Wine keeps of a value whose data it
// cannot parse), and whether key "L" exists.  The spoilt values, the eaten
// key line and the hex and dword forms were checked against Wine 8's
// wineserver with `wine reg query`.
const std::string kSpoilt = "<REG_NONE, no data>";

struct LinesCase {
  const char* what;
  std::string body;
  std::optional<std::string> a;  // data of K\A, UTF-16
  bool l_exists = false;
};

class RegFileLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(RegFileLinesTest, ReadsAsWinesLoader) {
  const std::string text = "WINE REGISTRY Version 2\n" + GetParam().body;
  // Exactly sized, so that a read past the end is a read outside the buffer.
  const auto buffer = std::make_unique<char[]>(text.size());
  std::copy(text.begin(), text.end(), buffer.get());
  const RegFile file(std::string_view(buffer.get(), text.size()));
  const auto a = Value(file, {u"K"}, u"A");
  if (GetParam().a == kSpoilt) {
    ASSERT_TRUE(a);
    EXPECT_EQ(a->type, 0u);
    EXPECT_EQ(a->data, "");
  } else if (GetParam().a) {
    ASSERT_TRUE(a);
    EXPECT_EQ(a->data, *GetParam().a);
  } else {
    EXPECT_FALSE(a) << ::testing::PrintToString(a->data);
  }
  EXPECT_EQ(file.FindKey({u"L"}).has_value(), GetParam().l_exists);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegFileLinesTest,
    ::testing::Values(
        LinesCase{"plain", "[K] 1\n\"A\"=\"a\"\n", Utf16(u"a")},
        LinesCase{"crlf", "[K] 1\r\n\"A\"=\"a\"\r\n[L]\r\n", Utf16(u"a"), true},
        LinesCase{"no_final_newline", "[K]\n\"A\"=\"a\"", Utf16(u"a")},
        LinesCase{"leading_blanks", "  \t[K]\n   \"A\" = \"a\"\n", Utf16(u"a")},
        LinesCase{"str_tag", "[K]\n\"A\"=str:\"a\"\n", Utf16(u"a")},
        LinesCase{"unclosed_string", "[K]\n\"A\"=\"a\n", kSpoilt},
        LinesCase{"unclosed_name", "[K]\n\"A=\"a\"\n", std::nullopt},
        LinesCase{"no_equals", "[K]\n\"A\" \"a\"\n", std::nullopt},
        LinesCase{"unknown_type", "[K]\n\"A\"=text:\"a\"\n", kSpoilt},
        LinesCase{"trailing_backslash_in_string", "[K]\n\"A\"=\"a\\\n", kSpoilt},
        LinesCase{"x_without_digits", "[K]\n\"A\"=\"\\xg\\q\"\n", Utf16(u"xgq")},
        LinesCase{"octal_and_hex_escapes", "[K]\n\"A\"=\"\\101\\x42\\x0043x\\x30bd1\"\n",
                  Utf16(u"ABCx\u30BD1")},
        LinesCase{"value_before_any_key", "\"A\"=\"a\"\n[K]\n", std::nullopt},
        LinesCase{"value_after_broken_key_line", "[K]\n\"A\"=\"a\"\n[L\n\"A\"=\"b\"\n",
                  Utf16(u"a")},
        LinesCase{"key_line_with_leading_backslash", "[\\\\L]\n[K]\n\"A\"=\"a\"\n", Utf16(u"a"),
                  false},
        LinesCase{"runs_of_backslashes", "[\\\\\\\\]\n[L\\\\\\\\M\\\\]\n", std::nullopt, true},
        LinesCase{"later_definition_wins", "[K]\n\"A\"=\"a\"\n[L]\n[k]\n\"a\"=\"b\"\n", Utf16(u"b"),
                  true},
        LinesCase{"bad_redefinition_spoils_the_value", "[K]\n\"A\"=\"a\"\n\"A\"=\"b\n", kSpoilt},
        LinesCase{"hex_type_unclosed", "[K]\n\"A\"=hex(2:01\n", kSpoilt},
        LinesCase{"dword", "[K]\n\"A\"=dword:7\n", std::string("\x07\0\0\0", 4)},
        LinesCase{"dword_garbage_is_zero", "[K]\n\"A\"=dword:zz\n", std::string(4, '\0')},
        LinesCase{"dword_too_long_is_cut", "[K]\n\"A\"=dword:123456789\n",
                  std::string("\x89\x67\x45\x23", 4)},
        LinesCase{"dword_negative", "[K]\n\"A\"=dword:-1\n", std::string(4, '\xFF')},
        LinesCase{"hex_type_without_digits", "[K]\n\"A\"=hex():01\n", std::string("\x01", 1)},
        LinesCase{"hex_byte_followed_by_junk", "[K]\n\"A\"=hex:1g,2\n", kSpoilt},
        LinesCase{"hex_number_above_a_byte", "[K]\n\"A\"=hex:0102\n", kSpoilt},
        LinesCase{"hex_junk_after_bytes", "[K]\n\"A\"=hex:01,02 x\n", kSpoilt},
        LinesCase{"hex_blanks_and_0x", "[K]\n\"A\"=hex:1 , 2,0x3,\tff\n",
                  std::string("\x01\x02\x03\xFF", 4)},
        LinesCase{"hex_continued", "[K]\n\"A\"=hex:01,\\\n  02,\\\n  03\n",
                  std::string("\x01\x02\x03", 3)},
        LinesCase{"hex_continued_past_the_end", "[K]\n\"A\"=hex:01,\\", kSpoilt},
        // The line after a continued value belongs to it whatever it holds:
        // the key line is eaten (and spoils the value), so "B" and "A" after
        // it still belong to K.
        LinesCase{"continuation_eats_a_key_line", "[K]\n\"A\"=hex:01,\\\n[L]\n\"A\"=\"after\"\n",
                  Utf16(u"after"), false},
        LinesCase{"continuation_chain_eats_a_key_line", "[K]\n\"A\"=hex:01,\\\n02,\\\n[L]\n",
                  kSpoilt, false},
        LinesCase{"backslash_line_without_value_eats_nothing", "[K]\n\\\n[L]\n", std::nullopt,
                  true},
        LinesCase{"nul_cuts_the_line", std::string("[K]\n\"A\"=\"ab\0cd\"\n\"A\"=\"x\"\n", 24),
                  Utf16(u"x")},
        LinesCase{"nul_before_a_key_line", std::string("[K]\n\0[L]\n", 9), std::nullopt, false},
        LinesCase{"unknown_architecture_ends_the_file", "#arch=win65\n[K]\n\"A\"=\"a\"\n[L]\n",
                  std::nullopt, false},
        LinesCase{"high_bytes_widen_as_signed_chars", "[K]\n\"A\"=\"\xE9\"\n", Utf16(u"\uFFE9")}),
    [](const auto& row) { return std::string(row.param.what); });

TEST(RegFileTest, NotARegistryFileHoldsNoKeys) {
  for (const std::string& text :
       {std::string(), std::string("WINE REGISTRY Version 1\n[K]\n"),
        std::string("\xEF\xBB\xBFWINE REGISTRY Version 2\n[K]\n"), std::string("[K]\n"),
        std::string("WINE REGISTRY Version 2 \n[K]\n")}) {
    const RegFile file(text);
    EXPECT_FALSE(file.IsRegistry());
    EXPECT_FALSE(file.FindKey({u"K"}));
  }
  const RegFile header_only("WINE REGISTRY Version 2");
  EXPECT_TRUE(header_only.IsRegistry());
  EXPECT_FALSE(header_only.FindKey({u"K"}));
}

TEST(RegFileTest, ArchitectureComesFromTheOptionsBeforeTheFirstKey) {
  EXPECT_TRUE(RegFile("WINE REGISTRY Version 2\n\n#arch=win64\n[K]\n").IsWin64());
  EXPECT_FALSE(RegFile("WINE REGISTRY Version 2\n#arch=win32\n[K]\n").IsWin64());
  EXPECT_FALSE(RegFile("WINE REGISTRY Version 2\n[K]\n#arch=win64\n").IsWin64());
  EXPECT_FALSE(RegFile("WINE REGISTRY Version 2\n").IsWin64());
}

// Every cut of a Wine-written file, and random bytes after a valid header,
// are read without faults (the buffer is exactly sized; run under a
// sanitizer or valgrind to see reads past it).
TEST(RegFileTest, TruncatedAndRandomFilesAreReadSafely) {
  const std::string text = ReadFixture("system.reg");
  for (std::size_t length = 0; length <= text.size(); ++length) {
    const auto buffer = std::make_unique<char[]>(length);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length), buffer.get());
    const RegFile file(std::string_view(buffer.get(), length));
    if (const auto where = file.FindKey(kUninstall32)) {
      (void)file.FindValue(kUninstall32, *where, u"Bin");
      (void)file.FindValue(kUninstall32, *where, u"Zzz");
    }
  }
  std::mt19937 random(4);
  const std::string alphabet = "[]\\\"@=:,x0a7 \n\r\t\0hexdword(2)str";
  for (int round = 0; round < 300; ++round) {
    std::string noise = "WINE REGISTRY Version 2\n";
    const std::size_t length = random() % 400;
    for (std::size_t i = 0; i < length; ++i) {
      noise.push_back(round % 2 ? static_cast<char>(random())
                                : alphabet[random() % alphabet.size()]);
    }
    const auto buffer = std::make_unique<char[]>(noise.size());
    std::copy(noise.begin(), noise.end(), buffer.get());
    const RegFile file(std::string_view(buffer.get(), noise.size()));
    for (const KeyPath& key : {KeyPath{u"K"}, KeyPath{}, KeyPath{u"x", u"a"}}) {
      if (const auto where = file.FindKey(key)) (void)file.FindValue(key, *where, u"x");
    }
  }
}

}  // namespace
}  // namespace drelbin::wine
