// TRegistry: the registry accessor of the lookups.
//
// One accessor reads under one root, holds at most one open key, and closes
// it when it is closed or destroyed.  Its rules of reading a value as text
// are those of the ANSI registry interface on a Japanese system, the same on
// every platform.
#pragma once

#include "repair/ansi_text.h"
#include "repair/registry_primitives.h"

namespace drelbin {

class TRegistry {
 public:
  explicit TRegistry(registry::Root root) : root_(root) {}
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;
  ~TRegistry() { CloseKey(); }

  // Opens `path` read-only; a leading backslash is dropped.  Asks for KEY_READ,
  // then KEY_READ without notification, then KEY_QUERY_VALUE, and keeps the
  // first granted.  False when none is; never throws.
  bool OpenKeyReadOnly(const AnsiString& path);

  // The value `name` of the open key as text: empty when the value is
  // missing or of size zero (whatever its type); the data up to its first NUL
  // otherwise.  Throws ERegistryException when the data cannot be fetched or
  // is not REG_SZ or REG_EXPAND_SZ.  REG_EXPAND_SZ is not expanded.
  AnsiString ReadString(const AnsiString& name);

  // Closes the open key, if any.
  void CloseKey();

 private:
  registry::Root root_;
  registry::Key key_ = nullptr;
};

}  // namespace drelbin
