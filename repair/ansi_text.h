// Texts of the program: byte strings in code page 932 (Shift_JIS).
//
// Every text that the repair core handles -- registry values, folder parts,
// control-file paths and the messages shown to the user -- is an ANSI text as
// the registry's ANSI interface delivers it on a Japanese system.  The core
// never asks the host for its code page or locale: the rules below are the
// program's own, so that every platform cuts the same text the same way.
#pragma once

#include <cstdint>
#include <string>

namespace drelbin {

// A code page 932 byte string.  May hold any byte, NUL included.
using AnsiString = std::string;

// True for a byte that starts a double-byte character in code page 932
// (0x81-0x9F and 0xE0-0xFC).  The byte after it belongs to the same
// character, whatever its value (0x5C, the backslash, included).
constexpr bool IsCp932LeadByte(std::uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The folder part of a file name: the text from its start up to and
// including its last separator ('\\' or ':'), found by characters of code
// page 932 so that the second byte of a double-byte character is never taken
// for a separator.  Empty when the text has no separator.  Nothing is
// trimmed, unquoted or expanded.
AnsiString ExtractFilePath(const AnsiString& file_name);

}  // namespace drelbin
