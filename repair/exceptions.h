// The program's error classes.  An error carries one message text, a code
// page 932 byte string, which the error box shows (see error_box_text.h).
#pragma once

#include <exception>

#include "repair/ansi_text.h"

namespace drelbin {

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}

  // The message as the error box takes it: code page 932, possibly empty.
  const AnsiString& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  AnsiString message_;
};

// Raised when a registry value cannot be read as text.
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace drelbin
