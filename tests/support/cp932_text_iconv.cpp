#include <iconv.h>

#include "tests/support/cp932_text.h"

namespace drelbin::testing {

std::string Cp932ToUtf8(const AnsiString& text) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no CP932 converter>";
  std::string in = text;
  std::string out(text.size() * 4, '\0');
  char* in_ptr = in.data();
  char* out_ptr = out.data();
  std::size_t in_left = in.size();
  std::size_t out_left = out.size();
  const std::size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) return "<invalid CP932>";
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace drelbin::testing
