// Decoding code page 932 texts in tests, with the host's own converter
// (iconv on Linux, the Windows code page tables under Windows), so that
// a test can compare the program's byte strings with readable Japanese.
#pragma once

#include <string>

#include "repair/ansi_text.h"

namespace drelbin::testing {

// `text` as UTF-8; "<invalid CP932>" when it is no valid code page 932 text.
std::string Cp932ToUtf8(const AnsiString& text);

}  // namespace drelbin::testing
