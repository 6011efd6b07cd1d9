#include "platform/win32/windows_api.h"
#include "tests/support/cp932_text.h"

namespace drelbin::testing {

std::string Cp932ToUtf8(const AnsiString& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int wide_length =
      MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (wide_length == 0) return "<invalid CP932>";
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), wide_length);
  const int utf8_length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(utf8_length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, utf8.data(), utf8_length, nullptr,
                      nullptr);
  return utf8;
}

}  // namespace drelbin::testing
