// The Wine registry reader over any file: the input is written as both
// system.reg and user.reg of a prefix, then both lookups' values are read
// through the registry seam and through TRegistry, as the program reads
// them.  The text that TRegistry gives must be the value's bytes up to the
// first NUL (or the data-type error for data that is not text).
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/posix/wine/reg_file.h"
#include "repair/exceptions.h"
#include "repair/lookups.h"
#include "repair/messages.h"
#include "repair/registry.h"
#include "repair/registry_primitives.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzz_prefix.h"

namespace {

using drelbin::AnsiString;
namespace registry = drelbin::registry;

// The value as the seam gives it: type and bytes; nullopt when the key or
// the value is missing.
std::optional<std::pair<std::uint32_t, AnsiString>> RawValue(registry::Root root,
                                                             const AnsiString& key_path,
                                                             const AnsiString& name) {
  const registry::Key key = registry::OpenKey(root, key_path, registry::kKeyRead);
  if (key == nullptr) return std::nullopt;
  std::optional<std::pair<std::uint32_t, AnsiString>> value;
  std::uint32_t type = 0, size = 0;
  if (registry::QueryValueInfo(key, name, type, size)) {
    AnsiString data(size, '\0');
    FUZZ_CHECK(
        registry::QueryValueData(key, name, reinterpret_cast<std::uint8_t*>(data.data()), size));
    value.emplace(type, std::move(data));
  }
  registry::CloseKey(key);
  return value;
}

void CheckLookup(registry::Root root, const AnsiString& key_path, const AnsiString& name) {
  const auto raw = RawValue(root, key_path.substr(1), name);
  drelbin::TRegistry reg(root);
  if (!reg.OpenKeyReadOnly(key_path)) {
    FUZZ_CHECK(!raw);
    return;
  }
  const bool has_data = raw && !raw->second.empty();
  const bool is_text =
      raw && (raw->first == registry::kRegSz || raw->first == registry::kRegExpandSz);
  try {
    const AnsiString text = reg.ReadString(name);
    FUZZ_CHECK(!has_data || is_text);
    FUZZ_CHECK(text == (has_data ? raw->second.substr(0, raw->second.find('\0')) : AnsiString()));
  } catch (const drelbin::ERegistryException& error) {
    FUZZ_CHECK(has_data && !is_text);
    FUZZ_CHECK(error.Message() == drelbin::messages::BadDataType(name));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& prefix = drelbin::fuzz::FuzzPrefix();
  drelbin::fuzz::WriteWholeFile(prefix + "/system.reg", data, size);
  drelbin::fuzz::WriteWholeFile(prefix + "/user.reg", data, size);
  CheckLookup(registry::Root::LocalMachine, drelbin::kUninstallKey, drelbin::kDisplayIconValue);
  CheckLookup(registry::Root::CurrentUser, drelbin::kSettingsKey, drelbin::kCommonDataPathValue);
  return 0;
}
