// Conversions between code page 932 (the ANSI texts of the program) and the
// host's Unicode forms: UTF-16 as Wine stores registry strings, UTF-8 as
// Linux names files and GTK shows text.
//
// The rules are the program's own, never the process locale's:
// - Towards code page 932 every character that it holds exactly (that comes
//   back unchanged when decoded) becomes its one or two bytes, and every
//   other one becomes "?": characters the code page lacks, lone surrogates,
//   and each half of a surrogate pair, as the ANSI registry interface of
//   Windows gives them.  No "best fit": U+00A5 (yen sign) is "?", never the
//   backslash byte 0x5C.
// - From code page 932 a byte sequence that it does not define (a lead byte
//   with no valid trail byte, 0x80, 0xA0, 0xFD-0xFF) is an error, reported
//   as nullopt, or replaced by U+FFFD where the caller only shows text.
// NUL is a character like any other in both directions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace drelbin::cp932 {

// UTF-16 code units to code page 932, "?" for what it lacks.  Never fails.
std::string FromUtf16(std::u16string_view text);

// UTF-8 to code page 932, "?" for what it lacks and for each byte of an
// invalid UTF-8 sequence.  Never fails.
std::string FromUtf8(std::string_view text);

// Code page 932 to UTF-16; nullopt when `text` is not valid code page 932.
std::optional<std::u16string> ToUtf16(std::string_view text);

// Code page 932 to UTF-8; nullopt when `text` is not valid code page 932.
std::optional<std::string> ToUtf8(std::string_view text);

// Code page 932 to UTF-8 for showing: every byte that starts no valid
// character becomes U+FFFD.  Never fails.
std::string ToUtf8ForDisplay(std::string_view text);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; nullopt for invalid UTF-8 (overlong forms, surrogates,
// code points past U+10FFFF, truncated sequences).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

}  // namespace drelbin::cp932
