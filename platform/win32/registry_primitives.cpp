// The registry seam on Windows: advapi32's ANSI functions, which hand the
// program its texts in the system code page (932 on a Japanese system).
#include "repair/registry_primitives.h"

#include <algorithm>
#include <new>

#include "platform/win32/windows_api.h"

namespace drelbin::registry {

struct KeyData {
  win32::UniqueKey key;
};

namespace {

HKEY RootKey(Root root) {
  return root == Root::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The TARNVEX application and its installer are 32-bit, so on 64-bit
// Windows its uninstall entry lives in the 32-bit view of HKEY_LOCAL_MACHINE.
// A 64-bit build has to ask for that view; a 32-bit build is in it anyway and
// the flag changes nothing there.  HKEY_CURRENT_USER\Software is shared by
// both views.
REGSAM AccessFor(Root root, std::uint32_t access) {
  return root == Root::LocalMachine ? access | KEY_WOW64_32KEY : access;
}

// A name with a NUL inside would reach the API cut short and so name
// another key or value than the one asked for.
bool HoldsNul(const AnsiString& text) { return text.find('\0') != AnsiString::npos; }

}  // namespace

Key OpenKey(Root root, const AnsiString& path, std::uint32_t access) {
  if (HoldsNul(path)) return nullptr;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(RootKey(root), path.c_str(), 0, AccessFor(root, access), &opened) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  win32::UniqueKey key(opened);
  auto* data = new (std::nothrow) KeyData{std::move(key)};
  return data;  // nullptr when out of memory; the key is closed then
}

bool QueryValueInfo(Key key, const AnsiString& name, std::uint32_t& type, std::uint32_t& size) {
  if (key == nullptr || HoldsNul(name)) return false;
  DWORD value_type = 0;
  DWORD value_size = 0;
  if (RegQueryValueExA(key->key.get(), name.c_str(), nullptr, &value_type, nullptr, &value_size) !=
      ERROR_SUCCESS) {
    return false;
  }
  type = value_type;
  size = value_size;
  return true;
}

bool QueryValueData(Key key, const AnsiString& name, std::uint8_t* buffer, std::uint32_t size) {
  if (key == nullptr || HoldsNul(name)) return false;
  DWORD fetched = size;
  // ERROR_MORE_DATA, too: the value has grown since its size was asked.
  if (RegQueryValueExA(key->key.get(), name.c_str(), nullptr, nullptr, buffer, &fetched) !=
          ERROR_SUCCESS ||
      fetched > size) {
    return false;
  }
  // A text may come out shorter in code page 932 than its size said; what
  // is left of the buffer holds no data.
  std::fill(buffer + fetched, buffer + size, std::uint8_t{0});
  return true;
}

void CloseKey(Key key) { delete key; }

}  // namespace drelbin::registry
