// How the Linux program finds a control file: the Windows path, as the
// TARNVEX application under Wine would open it, mapped into the Wine prefix.
//
// Drive X is the prefix's dosdevices/x: (a symbolic link, usually to
// ../drive_c), followed as Wine follows it.  Each name is taken as it
// stands when the folder holds it, else the first entry that matches it
// without regard to case (names on disk are UTF-8).  "." and ".." are
// resolved on the text first, so no lookup ever climbs above the drive's
// root.  A relative path starts from the process's current folder as Wine
// sees it: on the drive whose root holds it most closely.
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/posix/cp932.h"
#include "platform/posix/host_path.h"
#include "platform/posix/unicode_case.h"
#include "platform/posix/wine/windows_path.h"
#include "platform/posix/wine/wine_prefix.h"

namespace drelbin::files {
namespace {

std::string DriveLink(const std::string& prefix, char drive) {
  return prefix + "/dosdevices/" + drive + ":";
}

std::optional<std::string> RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get());
}

// The process's current folder as a place on one of the prefix's drives.
std::optional<wine::DrivePath> CurrentFolder(const std::string& prefix) {
  const auto folder = RealPath(".");
  if (!folder) return std::nullopt;
  std::vector<wine::DriveRoot> roots;
  for (char drive = 'a'; drive <= 'z'; ++drive) {
    const auto root = RealPath(DriveLink(prefix, drive));
    struct stat info;
    if (root && stat(root->c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      roots.push_back({drive, *root});
    }
  }
  return wine::DrivePathOfFolder(*folder, roots);
}

// The entry of `folder` named `name`, exactly or else without regard to case.
std::optional<std::string> FindEntry(const std::string& folder, const std::string& name) {
  const std::string exact = folder + "/" + name;
  struct stat info;
  if (lstat(exact.c_str(), &info) == 0) return exact;
  const auto wanted = cp932::Utf8ToUtf16(name);
  if (!wanted) return std::nullopt;
  DIR* entries = opendir(folder.c_str());
  if (entries == nullptr) return std::nullopt;
  std::optional<std::string> found;
  while (const dirent* entry = readdir(entries)) {
    const std::string_view entry_name = entry->d_name;
    if (entry_name == "." || entry_name == "..") continue;
    const auto units = cp932::Utf8ToUtf16(entry_name);
    if (units && unicode::EqualIgnoringCase(*units, *wanted)) {
      found = folder + "/" + entry->d_name;
      break;
    }
  }
  closedir(entries);
  return found;
}

}  // namespace

std::optional<std::string> HostPath(const AnsiString& path) {
  const auto prefix = wine::WinePrefix();
  if (!prefix) return std::nullopt;
  const auto text = cp932::ToUtf8(path);
  if (!text) return std::nullopt;
  // The current folder matters only to paths without a drive.
  const bool has_drive = text->size() >= 2 && (*text)[1] == ':' &&
                         (((*text)[0] | 0x20) >= 'a' && ((*text)[0] | 0x20) <= 'z');
  const auto place =
      wine::ResolveWindowsPath(*text, has_drive ? std::nullopt : CurrentFolder(*prefix));
  if (!place) return std::nullopt;
  std::string host = DriveLink(*prefix, place->drive);
  struct stat info;
  if (stat(host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  for (const std::string& name : place->names) {
    const auto entry = FindEntry(host, name);
    if (!entry) return std::nullopt;
    host = *entry;
  }
  return host;
}

}  // namespace drelbin::files
