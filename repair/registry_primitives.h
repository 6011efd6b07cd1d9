// Registry seam: the few read-only registry operations that the lookups need.
//
// Declared once here; each platform links exactly one implementation
// (advapi32 on Windows, the Wine prefix's registry files on Linux), and tests
// link an in-memory fake.  Key paths, value names and data are code page 932
// byte strings, exactly as RegQueryValueExA gives them on a Japanese system.
// No operation throws; the rules for reading a value as text are the core's
// (registry.h), written once on top of these.
#pragma once

#include <cstdint>

#include "repair/ansi_text.h"

namespace drelbin::registry {

enum class Root { LocalMachine, CurrentUser };

// Access masks that the core asks for, most to least.
inline constexpr std::uint32_t kKeyRead = 0x20019;          // KEY_READ
inline constexpr std::uint32_t kKeyReadNoNotify = 0x20009;  // KEY_READ without KEY_NOTIFY
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;     // KEY_QUERY_VALUE

// Value types that hold text.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;

// An open key.  Each implementation defines KeyData; the core only passes the
// pointer back.  nullptr is no key.
struct KeyData;
using Key = KeyData*;

// Opens the key at `path` under `root` with exactly `access`.  `path` holds
// key names separated by backslashes, with no leading backslash.  nullptr when
// the key does not exist or `access` is not granted.  The caller closes a
// key it got with CloseKey.
Key OpenKey(Root root, const AnsiString& path, std::uint32_t access);

// The type and data size of the value `name` (empty: the default value)
// without its data.  False when the key has no such value or cannot say.
bool QueryValueInfo(Key key, const AnsiString& name, std::uint32_t& type, std::uint32_t& size);

// Fetches the data of value `name` into `buffer`, which holds exactly `size`
// bytes.  False when the value is gone or its data no longer fits.
bool QueryValueData(Key key, const AnsiString& name, std::uint8_t* buffer, std::uint32_t size);

// Releases a key from OpenKey.  Does nothing for nullptr.
void CloseKey(Key key);

}  // namespace drelbin::registry
