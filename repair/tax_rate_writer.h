// WriteTaxRateTable: the only code that touches a control file.
#pragma once

#include <cstdint>

#include "repair/ansi_text.h"

namespace drelbin {

// Outcome of WriteTaxRateTable.  Callers tell only zero from non-zero.
enum WriteResult : std::int32_t {
  wrDone = 0,         // the whole table was written and flushed
  wrNoFile = 1,       // no regular file at the path; nothing was opened
  wrOpenFailed = 2,   // the file could not be had exclusively; nothing written
  wrSeekFailed = 3,   // positioning at the table failed; nothing written
  wrWriteFailed = 4,  // a write or the flush failed; the table may be partial
};

// Writes the fixed tax-rate table at byte 66 of the control file at `path`.
// Never reads the file, never creates or truncates it, never changes a byte
// outside the table; a shorter file grows to 162 bytes.  The file is closed
// again on every way out.
WriteResult WriteTaxRateTable(const AnsiString& path);

}  // namespace drelbin
