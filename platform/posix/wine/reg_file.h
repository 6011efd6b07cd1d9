// Reading one key's values out of a registry file that Wine writes
// (system.reg, user.reg), without loading the rest.
//
// The file is text: the header line "WINE REGISTRY Version 2", options such
// as "#arch=win64", then one section per key:
//
//   [Software\\Wow6432Node\\Vendor\\App] 1796971387
//   #time=1dd893ae1aa38ac
//   @="default value"
//   "Name"="text with \"escapes\" and \x30bd\x30d5"
//   "Expand"=str(2):"%ProgramFiles%\\App"
//   "Multi"=str(7):"one\0two\0"
//   "Number"=dword:00000007
//   "Bin"=hex:00,11,22,\ (a backslash at the end: continued on the next line)
//     33,44
//   "Other"=hex(b):88,77,66,55,44,33,22,11
//
// Names and strings are UTF-16 written with C escapes (\\ \" \n \t ..., octal
// \0-\777 and \x followed by up to four hex digits); a string's data keeps
// its terminating NUL.  Keys and value names match without regard to case
// (unicode_case.h).  Lines are read as Wine's loader reads them: leading
// blanks are skipped, a line that cannot be parsed is skipped, a line after a
// hex value ending in a backslash belongs to that value whatever it holds, a
// key named again adds to (and overrides values of) the same key, and a file
// without the header line holds no keys.
//
// The reader works on the bytes of the file as they stand (a mapped file).
// Finding a key is one pass over the text that looks only at key lines and
// allocates nothing in proportion to the file; only the sections of the key
// itself are parsed line by line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drelbin::wine {

// A key's path below the file's root: its names from the top, without the
// backslashes between them.
using KeyPath = std::vector<std::u16string>;

// A value as stored: its type, and its data as raw bytes (strings are UTF-16
// little-endian with the NULs that the file gives them).
struct RegValue {
  std::uint32_t type = 0;
  std::string data;
};

// Where a key's values are: the offset of the first key line that names the
// key itself, or npos when the key exists only as the parent of others.
struct KeyLocation {
  std::size_t first_section = std::string_view::npos;
};

class RegFile {
 public:
  // `text` must outlive the reader.
  explicit RegFile(std::string_view text);

  // True when the file starts with Wine's header line.
  bool IsRegistry() const { return valid_; }
  // True when the file says "#arch=win64" before its first key: a 64-bit
  // prefix, whose 32-bit programs see HKLM\Software through Wow6432Node.
  bool IsWin64() const { return win64_; }

  // nullopt when no key line names the key or a key below it.
  std::optional<KeyLocation> FindKey(const KeyPath& path) const;

  // The value `name` (empty: the default value "@") of the key at `where`,
  // from its key lines at and after that offset; the last definition wins.
  std::optional<RegValue> FindValue(const KeyPath& path, const KeyLocation& where,
                                    std::u16string_view name) const;

 private:
  std::string_view text_;
  std::size_t body_ = 0;  // offset of the line after the header
  bool valid_ = false;
  bool win64_ = false;
};

}  // namespace drelbin::wine
