// File seam: the few file operations that the table writer needs.
//
// Declared once here; each platform links exactly one implementation
// (platform/win32, platform/posix), and tests may link a fake instead.
// Paths are control-file paths: code page 932 texts as the registry gave
// them, which the implementation maps to the host's own form.  No operation
// throws; every failure is reported through the result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "repair/ansi_text.h"

namespace drelbin::files {

// An open file: a Win32 HANDLE or a POSIX descriptor, as an integer.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidFile = -1;

// True exactly when `path` names an existing regular file.  False for
// anything else: nothing there, a directory, a device, an empty path.
bool FileExists(const AnsiString& path);

// Opens an existing file for reading and writing, shared with nobody: fails
// (kInvalidFile) when the file is read-only, may not be written, or when any
// other program has it open or locked.  Never creates, truncates or blocks.
FileHandle OpenExclusive(const AnsiString& path);

// Sets the position `offset` bytes from the start of the file; a position
// past the end is allowed.  False on failure.
bool SeekFromStart(FileHandle file, std::int64_t offset);

// One write at the current position.  Returns the count of bytes written
// (possibly fewer than `size`), or -1 on failure.  Interrupted calls are
// retried inside.
std::int64_t Write(FileHandle file, const std::uint8_t* data, std::size_t size);

// Forces the written data to the storage medium.  False on failure.
bool Flush(FileHandle file);

// Releases the handle.
void Close(FileHandle file);

}  // namespace drelbin::files
