// The program's one way into the Windows headers, and owners for the
// handles it gets from them.
//
// Every file of the program that calls the Win32 API includes this header
// instead of <windows.h>, so that all of them see the same declarations:
// the lean set (no min/max macros, strict handle types) in the ANSI flavour,
// since every text of the program is a code page 932 byte string.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>

#include <utility>

namespace drelbin::win32 {

// Owns one handle of the kind that `Traits` describes: its type (Value),
// the value that means no handle (Empty) and how to release one (Release).
// Releases it when destroyed; moves, never copies.
template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Value value) noexcept : value_(value) {}
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Value get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::Empty(); }

  // Gives the handle up without releasing it.
  Value release() noexcept { return std::exchange(value_, Traits::Empty()); }

  // Releases the handle held, if any, and takes `value`.
  void reset(Value value = Traits::Empty()) noexcept {
    const Value old = std::exchange(value_, value);
    if (old != Traits::Empty()) Traits::Release(old);
  }

 private:
  Value value_ = Traits::Empty();
};

// An open registry key (RegOpenKeyEx*, RegCreateKeyEx*).
struct RegistryKeyTraits {
  using Value = HKEY;
  static Value Empty() noexcept { return nullptr; }
  static void Release(Value key) noexcept { RegCloseKey(key); }
};
using UniqueKey = UniqueHandle<RegistryKeyTraits>;

// A kernel handle whose failure value is INVALID_HANDLE_VALUE (CreateFile*).
struct FileHandleTraits {
  using Value = HANDLE;
  static Value Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Release(Value handle) noexcept { CloseHandle(handle); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;

// A directory search (FindFirstFile*), ended with FindClose.
struct FindHandleTraits {
  using Value = HANDLE;
  static Value Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Release(Value handle) noexcept { FindClose(handle); }
};
using UniqueFind = UniqueHandle<FindHandleTraits>;

}  // namespace drelbin::win32
