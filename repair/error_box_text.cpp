#include "repair/error_box_text.h"

#include <cstdint>

namespace drelbin {

AnsiString ErrorBoxText(const AnsiString& message) {
  if (message.empty() || static_cast<std::uint8_t>(message.back()) <= '.') return message;
  return message + ".";
}

}  // namespace drelbin
