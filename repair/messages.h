// The texts that the program shows, as code page 932 byte strings.
//
// Each constant is spelled out byte for byte next to its readable form, so
// that the source file's own encoding never decides what the user sees.
#pragma once

#include "repair/ansi_text.h"

namespace drelbin::messages {

// "消費税率データを修復しました." -- at least one control file was repaired.
inline const AnsiString kRepaired =
    "\x8F\xC1\x94\xEF\x90\xC5\x97\xA6"                    // 消費税率
    "\x83\x66\x81\x5B\x83\x5E\x82\xF0"                    // データを
    "\x8F\x43\x95\x9C\x82\xB5\x82\xDC\x82\xB5\x82\xBD.";  // 修復しました.

// "TARNVEXのデータが見つかりませんでした." -- no control file was repaired.
inline const AnsiString kNotFound =
    "TARNVEX\x82\xCC"                                           // TARNVEXの
    "\x83\x66\x81\x5B\x83\x5E\x82\xAA"                          // データが
    "\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1"  // 見つかりません
    "\x82\xC5\x82\xB5\x82\xBD.";                                // でした.

// "'%s' の取得に失敗しました" -- the data of a registry value could not be
// fetched; %s is the value's name.
inline AnsiString FetchFailed(const AnsiString& value_name) {
  return "'" + value_name +
         "' \x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
}

// "'%s' のデータ型が不正です" -- a registry value holds something other than
// text; %s is the value's name.
inline AnsiString BadDataType(const AnsiString& value_name) {
  return "'" + value_name +
         "' \x82\xCC\x83\x66\x81\x5B\x83\x5E\x8C\x5E\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7";
}

// "2019年10月1日 10% 対応" -- the dialog's note.
inline const AnsiString kDialogNote =
    "2019\x94\x4E"
    "10\x8C\x8E"
    "1\x93\xFA 10% \x91\xCE\x89\x9E";

// "消費税率データの修復" -- the dialog's button.
inline const AnsiString kRepairButton =
    "\x8F\xC1\x94\xEF\x90\xC5\x97\xA6\x83\x66\x81\x5B\x83\x5E\x82\xCC\x8F\x43\x95\x9C";

// "ＭＳ Ｐゴシック" -- the dialog's font face.
inline const AnsiString kDialogFontFace =
    "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

// Captions.
inline const AnsiString kApplicationTitle = "drelbin";
inline const AnsiString kDialogCaption = "TARNVEX";

}  // namespace drelbin::messages
