#include "repair/ansi_text.h"

namespace drelbin {

AnsiString ExtractFilePath(const AnsiString& file_name) {
  // Walk forwards character by character: only a forward walk knows which
  // bytes are trail bytes.  A lead byte at the very end has no trail byte and
  // counts as a character of its own.
  std::size_t folder_length = 0;
  for (std::size_t i = 0; i < file_name.size();) {
    const auto byte = static_cast<std::uint8_t>(file_name[i]);
    if (IsCp932LeadByte(byte) && i + 1 < file_name.size()) {
      i += 2;
      continue;
    }
    ++i;
    if (byte == '\\' || byte == ':') folder_length = i;
  }
  return file_name.substr(0, folder_length);
}

}  // namespace drelbin
