// Case-blind comparison of names, as Wine compares registry key and value
// names and file names: one UTF-16 code unit at a time, each taken to its
// Unicode simple upper case (so "ä" matches "Ä" and fullwidth "ａ" matches
// "Ａ"), surrogates left as they are.  The mapping is Unicode's, from the C.UTF-8
// locale's tables, never the process locale's.
#pragma once

#include <string_view>

namespace drelbin::unicode {

char16_t UpcaseBeyondAscii(char16_t unit);

// The simple upper case of one UTF-16 code unit.
inline char16_t Upcase(char16_t unit) {
  if (unit < 0x80) return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 32) : unit;
  return UpcaseBeyondAscii(unit);
}

// True when `a` and `b` have the same length and match unit by unit without
// regard to case.
bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace drelbin::unicode
