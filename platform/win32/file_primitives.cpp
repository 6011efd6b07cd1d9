// The file seam on Windows: kernel32's ANSI functions, which take the
// control-file path as the code page 932 text the registry gave.
#include "repair/file_primitives.h"

#include <algorithm>
#include <limits>

#include "platform/win32/windows_api.h"

namespace drelbin::files {
namespace {

// A control-file path names one file.  FindFirstFileA would take '*' and
// '?' (and the DOS wildcards '<', '>' and '"') in it as a pattern and find
// some other file; none of them can be part of a Windows file name.  None of
// these bytes can be the second byte of a code page 932 character (those are
// 0x40 and above), so a plain byte search is exact.  A NUL would cut the
// path short.
bool IsPlainPath(const AnsiString& path) {
  return !path.empty() && path.find_first_of(AnsiString("*?<>\"\0", 6)) == AnsiString::npos;
}

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

bool FileExists(const AnsiString& path) {
  if (!IsPlainPath(path)) return false;
  WIN32_FIND_DATAA found;
  const win32::UniqueFind search(FindFirstFileA(path.c_str(), &found));
  return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

FileHandle OpenExclusive(const AnsiString& path) {
  if (!IsPlainPath(path)) return kInvalidFile;
  win32::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  // A device or pipe under that name is no control file.
  if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) return kInvalidFile;
  return reinterpret_cast<FileHandle>(file.release());
}

bool SeekFromStart(FileHandle file, std::int64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return SetFilePointerEx(ToHandle(file), distance, nullptr, FILE_BEGIN) != FALSE;
}

std::int64_t Write(FileHandle file, const std::uint8_t* data, std::size_t size) {
  const DWORD chunk =
      static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
  DWORD written = 0;
  if (!WriteFile(ToHandle(file), data, chunk, &written, nullptr)) return -1;
  return written;
}

bool Flush(FileHandle file) { return FlushFileBuffers(ToHandle(file)) != FALSE; }

void Close(FileHandle file) {
  if (file != kInvalidFile) CloseHandle(ToHandle(file));
}

}  // namespace drelbin::files
