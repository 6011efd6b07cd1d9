// The repair command: what pressing the dialog's button does.
#pragma once

#include <cstdint>

#include "repair/ansi_text.h"

namespace drelbin {

// The message for the results of the two lookups (uninstall entry first):
// the success message when either is zero, else the not-found message.
const AnsiString& SelectResultMessage(std::int32_t first, std::int32_t second);

// What the command needs of the window system.
class RepairCommandHost {
 public:
  virtual ~RepairCommandHost() = default;
  // Shows `text` modally, with an empty caption, one OK button and no icon;
  // returns once the user has dismissed it.
  virtual void ShowResultMessage(const AnsiString& text) = 0;
  // Closes the dialog, which ends the program.
  virtual void CloseDialog() = 0;
};

// Runs both lookups (always both), shows the chosen message, then closes the
// dialog.  An error raised by a lookup leaves at once: no further lookup, no
// message, no close.
void RunRepairCommand(RepairCommandHost& host);

}  // namespace drelbin
