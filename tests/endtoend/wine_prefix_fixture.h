// A small Wine prefix on disk, as a 64-bit prefix looks after a 32-bit
// TARNVEX installation: drive C, the uninstall entry in system.reg (under
// Wow6432Node, its DisplayIcon written as a multi-line hex(2) value, as Wine
// writes long values), the per-user settings in user.reg (CommonDataPath
// with \x escapes: C:\ソフト\), and the two control files they lead to.
#pragma once

#include <string>

#include "tests/support/temp_folder.h"

namespace drelbin::testing {

class WinePrefixFixture {
 public:
  // Builds the prefix in a fresh folder.  The control files hold `content`.
  explicit WinePrefixFixture(const Bytes& content);

  const std::string& prefix() const { return prefix_; }
  // Where DisplayIcon leads: C:\TARNVEX\Data\CDCCTL.DAT.
  std::string uninstall_control_file() const {
    return prefix_ + "/drive_c/TARNVEX/Data/CDCCTL.DAT";
  }
  // Where CommonDataPath leads: C:\ソフト\CDCCTL.DAT.
  std::string settings_control_file() const {
    return prefix_ + "/drive_c/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88/CDCCTL.DAT";
  }
  std::string system_reg() const { return prefix_ + "/system.reg"; }
  std::string user_reg() const { return prefix_ + "/user.reg"; }

  // The registry files as the fixture writes them.
  static std::string SystemRegText(const std::string& display_icon = "C:\\TARNVEX\\app.exe,0");
  static std::string UserRegText();

 private:
  TempFolder folder_;
  std::string prefix_;
};

}  // namespace drelbin::testing
