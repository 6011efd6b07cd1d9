// The text that the error box shows for an error's message.
#pragma once

#include "repair/ansi_text.h"

namespace drelbin {

// The message with "." appended when its last byte sorts after "." (a
// double-byte character, a letter or a digit); unchanged when it is empty or
// ends in "." or anything below it (a blank, "!", ")", ",", "-", a line
// break).  Bytes compare unsigned, as code page 932 orders them.
AnsiString ErrorBoxText(const AnsiString& message);

}  // namespace drelbin
