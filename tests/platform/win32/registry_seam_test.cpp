// The registry accessor on the real registry of a Wine prefix whose ANSI
// code page is 932, against values that `reg` wrote (registry_fixtures.sh).
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/windows_api.h"
#include "repair/exceptions.h"
#include "repair/messages.h"
#include "repair/registry.h"

namespace drelbin {
namespace {

using registry::Root;
using namespace std::string_literals;

const AnsiString kValuesKey = "\\Software\\drelbin tests\\Values";

TEST(Win32Registry, RunsWithTheJapaneseAnsiCodePage) {
  // Everything below reads code page 932 texts; under another code page the
  // Japanese cases would fail for the wrong reason.
  EXPECT_EQ(GetACP(), 932u);
}

// A value of each kind, as TRegistry reads it.
struct TextCase {
  const char* name;
  AnsiString value;
  AnsiString text;
};

class Win32RegistryText : public ::testing::TestWithParam<TextCase> {};

TEST_P(Win32RegistryText, ReadsAsText) {
  TRegistry registry(Root::CurrentUser);
  ASSERT_TRUE(registry.OpenKeyReadOnly(kValuesKey));
  EXPECT_EQ(registry.ReadString(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, Win32RegistryText,
                         ::testing::Values(TextCase{"Sz", "Sz", "C:\\Prog\\app.exe,0"},
                                           TextCase{"ExpandSzIsNotExpanded", "ExpandSz",
                                                    "%ProgramFiles%\\Prog\\app.exe"},
                                           TextCase{"EmptyText", "Empty", ""},
                                           TextCase{"Blank", "Blank", " "},
                                           // ソ is 83 5C, フ 83 74, ト 83 67, 表 95 5C.
                                           TextCase{"JapaneseAsCodePage932", "Japanese",
                                                    "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.exe"},
                                           TextCase{"NulInsideEndsTheText", "NulInside", "AB"},
                                           TextCase{"BinaryWithoutDataIsEmpty", "EmptyBinary", ""},
                                           TextCase{"MissingValueIsEmpty", "NoSuchValue", ""}),
                         [](const auto& test) { return std::string(test.param.name); });

class Win32RegistryNotText : public ::testing::TestWithParam<const char*> {};

TEST_P(Win32RegistryNotText, RaisesTheBadDataTypeError) {
  TRegistry registry(Root::CurrentUser);
  ASSERT_TRUE(registry.OpenKeyReadOnly(kValuesKey));
  try {
    registry.ReadString(GetParam());
    FAIL() << "no error for " << GetParam();
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), messages::BadDataType(GetParam()));
  }
}

INSTANTIATE_TEST_SUITE_P(Values, Win32RegistryNotText, ::testing::Values("Dword", "Binary"));

TEST(Win32Registry, MissingKeyDoesNotOpen) {
  TRegistry registry(Root::CurrentUser);
  EXPECT_FALSE(registry.OpenKeyReadOnly("\\Software\\drelbin tests\\NoSuchKey"));
}

TEST(Win32Registry, OpensWithAndWithoutLeadingBackslash) {
  TRegistry registry(Root::CurrentUser);
  EXPECT_TRUE(registry.OpenKeyReadOnly("Software\\drelbin tests\\Values"));
  EXPECT_EQ(registry.ReadString("Sz"), "C:\\Prog\\app.exe,0");
}

TEST(Win32Registry, EachAccessLevelOpensAnExistingKey) {
  for (const std::uint32_t access :
       {registry::kKeyRead, registry::kKeyReadNoNotify, registry::kKeyQueryValue}) {
    const registry::Key key =
        registry::OpenKey(Root::CurrentUser, "Software\\drelbin tests\\Values", access);
    EXPECT_NE(key, nullptr) << "access " << access;
    registry::CloseKey(key);
  }
}

TEST(Win32Registry, NameWithNulInsideNamesNothing) {
  EXPECT_EQ(registry::OpenKey(Root::CurrentUser, "Software\\drelbin tests\\Values\0x"s,
                              registry::kKeyRead),
            nullptr);
  TRegistry registry(Root::CurrentUser);
  ASSERT_TRUE(registry.OpenKeyReadOnly(kValuesKey));
  EXPECT_EQ(registry.ReadString("Sz\0x"s), "");
}

TEST(Win32Registry, DataThatNoLongerFitsIsAFailedFetch) {
  const registry::Key key =
      registry::OpenKey(Root::CurrentUser, "Software\\drelbin tests\\Values", registry::kKeyRead);
  ASSERT_NE(key, nullptr);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_TRUE(registry::QueryValueInfo(key, "Sz", type, size));
  EXPECT_EQ(type, registry::kRegSz);
  EXPECT_EQ(size, sizeof("C:\\Prog\\app.exe,0"));
  AnsiString buffer(size - 1, '\0');
  EXPECT_FALSE(registry::QueryValueData(key, "Sz", reinterpret_cast<std::uint8_t*>(buffer.data()),
                                        size - 1));
  registry::CloseKey(key);
}

// HKEY_LOCAL_MACHINE is read in the 32-bit view, where the 32-bit TARNVEX
// installer writes, also by the 64-bit build.
TEST(Win32Registry, LocalMachineIsReadInThe32BitView) {
  TRegistry registry(Root::LocalMachine);
  ASSERT_TRUE(registry.OpenKeyReadOnly("\\Software\\drelbin tests\\View"));
  EXPECT_EQ(registry.ReadString("Written"), "by a 32-bit installer");
  EXPECT_FALSE(registry.OpenKeyReadOnly("\\Software\\drelbin tests\\Only64"));
}

}  // namespace
}  // namespace drelbin
