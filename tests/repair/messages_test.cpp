// The texts as the user reads them: each constant decodes from code page 932
// to exactly the Japanese text it stands for.
#include "repair/messages.h"

#include <gtest/gtest.h>
#include <string>

#include "tests/support/cp932_text.h"

namespace drelbin {
namespace {

using testing::Cp932ToUtf8;

struct TextCase {
  const char* name;
  AnsiString cp932;
  const char* utf8;
  std::size_t cp932_length;
};

class MessageTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(MessageTextTest, DecodesToItsJapaneseText) {
  EXPECT_EQ(Cp932ToUtf8(GetParam().cp932), GetParam().utf8);
  EXPECT_EQ(GetParam().cp932.size(), GetParam().cp932_length);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MessageTextTest,
    ::testing::Values(
        TextCase{"Repaired", messages::kRepaired, "消費税率データを修復しました.", 29},
        TextCase{"NotFound", messages::kNotFound, "TARNVEXのデータが見つかりませんでした.", 38},
        TextCase{"FetchFailed", messages::FetchFailed("DisplayIcon"),
                 "'DisplayIcon' の取得に失敗しました", 34},
        TextCase{"BadDataType", messages::BadDataType("CommonDataPath"),
                 "'CommonDataPath' のデータ型が不正です", 37},
        TextCase{"DialogNote", messages::kDialogNote, "2019年10月1日 10% 対応", 22},
        TextCase{"RepairButton", messages::kRepairButton, "消費税率データの修復", 20},
        TextCase{"FontFace", messages::kDialogFontFace, "ＭＳ Ｐゴシック", 15},
        TextCase{"Title", messages::kApplicationTitle, "drelbin", 7},
        TextCase{"Caption", messages::kDialogCaption, "TARNVEX", 7}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace drelbin
