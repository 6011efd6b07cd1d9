#include "platform/posix/unicode_case.h"

#include <locale.h>
#include <wctype.h>

namespace drelbin::unicode {
namespace {

// The Unicode case tables of glibc, whatever locale the process runs in.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

}  // namespace

char16_t UpcaseBeyondAscii(char16_t unit) {
  if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
  const locale_t locale = UnicodeLocale();
  if (locale == static_cast<locale_t>(0)) return unit;
  const wint_t upper = towupper_l(static_cast<wint_t>(unit), locale);
  // A mapping that leaves the basic plane would not fit one unit; Wine keeps
  // such a character as it is.
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && Upcase(a[i]) != Upcase(b[i])) return false;
  }
  return true;
}

}  // namespace drelbin::unicode
