// Windows paths on the text alone: drive, current folder, separators, "."
// and "..", as Windows resolves a path before it looks at any disk.  The
// file-system side (drives in the Wine prefix, names matched without regard
// to case) is in host_path_wine.cpp.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drelbin::wine {

// A place on a drive: the drive letter and the folder and file names below
// its root, none of them "." or "..".  No names: the drive's root.
struct DrivePath {
  char drive = 'c';                // 'a' to 'z'
  std::vector<std::string> names;  // UTF-8
  bool operator==(const DrivePath&) const = default;
};

// Resolves `path` (UTF-8) against `current`, the process's current folder
// when it lies on a drive:
// - "X:\a\b" is taken from the root of drive X; "X:a\b" too (from the root,
//   not from a current folder kept for that drive).
// - "\a\b" is taken from the root of the current folder's drive.
// - "a\b" is taken from the current folder.
// - "\" and "/" both separate names, and a run of them counts as one.
// - "." is dropped; ".." drops the name before it and never climbs above the
//   drive's root ("C:\..\..\x" is "C:\x").
// - A name other than the last loses one trailing dot ("dir." is "dir"); the
//   last loses all trailing dots and blanks ("a.dat. " is "a.dat").
// nullopt, a path that names no file, for: an empty path; UNC and device
// forms ("\\server\share", "\\?\", "\\.\"); a relative or rooted path with no
// current folder on a drive; a name with a character that Windows forbids
// in names (< > : " | ? * or a control character); a last name that is a
// DOS device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an
// extension); a name that trimming turns into "." or "..".
std::optional<DrivePath> ResolveWindowsPath(std::string_view path,
                                            const std::optional<DrivePath>& current);

// The drive place of `folder`, an absolute host path without symbolic links,
// given the roots of the drives (their host paths, also without links): the
// drive whose root holds it most closely (the lowest letter among equal
// roots), and the names below that root.  nullopt when no drive holds it.
struct DriveRoot {
  char drive;
  std::string root;
};
std::optional<DrivePath> DrivePathOfFolder(std::string_view folder,
                                           const std::vector<DriveRoot>& roots);

}  // namespace drelbin::wine
