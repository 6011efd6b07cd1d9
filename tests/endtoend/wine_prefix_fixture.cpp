#include "tests/endtoend/wine_prefix_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace drelbin::testing {
namespace {

void MakeFolders(const std::string& path) { std::filesystem::create_directories(path); }

void WriteText(const std::string& path, const std::string& text) {
  WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

}  // namespace

WinePrefixFixture::WinePrefixFixture(const Bytes& content)
    : prefix_((folder_.path() / "prefix").string()) {
  MakeFolders(prefix_ + "/dosdevices");
  MakeFolders(prefix_ + "/drive_c/TARNVEX/Data");
  MakeFolders(prefix_ + "/drive_c/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88");
  if (symlink("../drive_c", (prefix_ + "/dosdevices/c:").c_str()) != 0) {
    throw std::runtime_error("cannot link drive C");
  }
  WriteFileBytes(uninstall_control_file(), content);
  WriteFileBytes(settings_control_file(), content);
  WriteText(system_reg(), SystemRegText());
  WriteText(user_reg(), UserRegText());
}

std::string WinePrefixFixture::SystemRegText(const std::string& display_icon) {
  // REG_EXPAND_SZ as hex(2): the UTF-16LE bytes with their NUL, eight bytes
  // to a line after the first.
  std::string hex = "\"DisplayIcon\"=hex(2):";
  std::string units;
  for (const char c : display_icon) units += {c, '\0'};
  units += std::string(2, '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    char byte[3];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(units[i]));
    hex += byte;
    if (i + 1 < units.size()) hex += (i % 8 == 7) ? ",\\\n  " : ",";
  }
  return "WINE REGISTRY Version 2\n"
         ";; All keys relative to \\\\Machine\n"
         "\n"
         "#arch=win64\n"
         "\n"
         "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\"
         "TARNVEX for Windows] 1765400000\n"
         "#time=1dc6a5b3c2d1e0f\n" +
         hex +
         "\n"
         "\"DisplayName\"=\"TARNVEX for Windows\"\n"
         "\n";
}

std::string WinePrefixFixture::UserRegText() {
  return "WINE REGISTRY Version 2\n"
         ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
         "\n"
         "#arch=win64\n"
         "\n"
         "[Software\\\\VB and VBA Program Settings\\\\TARNVEX V1.0a\\\\Settings] 1765400000\n"
         "#time=1dc6a5b3c2d1e0f\n"
         "\"CommonDataPath\"=\"C:\\\\\\x30bd\\x30d5\\x30c8\\\\\"\n"
         "\"LastUser\"=dword:00000001\n"
         "\n";
}

}  // namespace drelbin::testing
