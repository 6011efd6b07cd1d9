// The two lookups that find a control file through the registry entries
// the TARNVEX application leaves behind, and write the table into it.
#pragma once

#include <cstdint>

#include "repair/ansi_text.h"

namespace drelbin {

// Outcome of a lookup.  The repair command tells only zero from non-zero.
enum LookupResult : std::int32_t {
  lrRepaired = 0,     // a path was built and the table written
  lrWriteFailed = 1,  // a path was built, but the writer failed (any reason)
  lrNoPath = 2,       // the key opened, but the value's text is empty
  lrNoKey = 3,        // the key could not be opened
};

// HKEY_LOCAL_MACHINE: the application's uninstall entry.
inline const AnsiString kUninstallKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TARNVEX for Windows";
inline const AnsiString kDisplayIconValue = "DisplayIcon";

// HKEY_CURRENT_USER: the application's per-user settings.
inline const AnsiString kSettingsKey =
    "\\SOFTWARE\\VB and VBA Program Settings\\TARNVEX V1.0a\\Settings";
inline const AnsiString kCommonDataPathValue = "CommonDataPath";

// The control file that a DisplayIcon text points to: the text's folder part,
// then "Data\CDCCTL.DAT", joined as they stand.
AnsiString ControlFileFromDisplayIcon(const AnsiString& display_icon);

// The control file in a CommonDataPath text: the text, then "CDCCTL.DAT",
// with nothing inserted between them.
AnsiString ControlFileFromCommonDataPath(const AnsiString& common_data_path);

// Each lookup reads its registry entry, builds its path and writes the table
// there.  Errors of the value read (ERegistryException) are not caught; the
// key is closed before they leave.
LookupResult RepairFromUninstallEntry();
LookupResult RepairFromCommonDataPath();

}  // namespace drelbin
