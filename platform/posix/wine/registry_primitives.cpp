// The registry seam on Linux: the registry of the Wine prefix, read from the
// files that wineserver keeps it in.  HKEY_LOCAL_MACHINE is system.reg and
// HKEY_CURRENT_USER is user.reg; a missing, unreadable or foreign file holds
// no keys.  The files are read as they stand on disk, which is the registry
// as wineserver last saved it (it saves on changes and when it exits).
//
// The program is the stand-in for a 32-bit Windows program, so on a 64-bit
// prefix HKLM\Software is read through Software\Wow6432Node, as such a
// program sees it; HKCU is not redirected.  Data comes out as
// RegQueryValueExA gives it on a Japanese system: strings (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ, whichever way the file writes them) converted
// from UTF-16 to code page 932 with their NULs, other types as raw bytes.
// The prefix belongs to the user running the program, so every access mask
// is granted.
#include <cstring>
#include <limits>
#include <memory>

#include "platform/posix/cp932.h"
#include "platform/posix/unicode_case.h"
#include "platform/posix/wine/mapped_file.h"
#include "platform/posix/wine/reg_file.h"
#include "platform/posix/wine/wine_prefix.h"
#include "repair/registry_primitives.h"

namespace drelbin::registry {

// An open key: the file mapped as it was when the key was opened, so that
// the size query and the data fetch see the same data.
struct KeyData {
  explicit KeyData(const std::string& file_path) : file(file_path), reg(file.text()) {}

  wine::MappedFile file;
  wine::RegFile reg;
  wine::KeyPath path;
  wine::KeyLocation where;
  // The value last looked up, as the caller receives it.
  AnsiString last_name;
  std::optional<std::pair<std::uint32_t, AnsiString>> last_value;
};

namespace {

bool IsString(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == 7;  // 7: REG_MULTI_SZ
}

// The key names of `path`, separated by backslashes; a run of them is one
// and one at the end is ignored.  nullopt when the path is not code page
// 932 or starts with a backslash (no key has such a name).
std::optional<wine::KeyPath> SplitKeyPath(const AnsiString& path) {
  const auto units = cp932::ToUtf16(path);
  if (!units) return std::nullopt;
  if (!units->empty() && units->front() == u'\\') return std::nullopt;
  wine::KeyPath names;
  std::size_t i = 0;
  while (i < units->size()) {
    if ((*units)[i] == u'\\') {
      ++i;
      continue;
    }
    const std::size_t end = std::min(units->find(u'\\', i), units->size());
    names.emplace_back(units->substr(i, end - i));
    i = end;
  }
  return names;
}

// The path as a 32-bit program sees it on a 64-bit prefix.
void RedirectTo32BitView(wine::KeyPath& path) {
  if (path.empty() || !unicode::EqualIgnoringCase(path[0], u"Software")) return;
  if (path.size() >= 2 && unicode::EqualIgnoringCase(path[1], u"Wow6432Node")) return;
  path.insert(path.begin() + 1, u"Wow6432Node");
}

// The value `name` as RegQueryValueExA gives it, or nullopt.
std::optional<std::pair<std::uint32_t, AnsiString>> LookUp(KeyData& key, const AnsiString& name) {
  if (key.last_value && key.last_name == name) return key.last_value;
  const auto wide_name = cp932::ToUtf16(name);
  if (!wide_name) return std::nullopt;
  auto value = key.reg.FindValue(key.path, key.where, *wide_name);
  if (!value) return std::nullopt;
  std::pair<std::uint32_t, AnsiString> result{value->type, {}};
  if (IsString(value->type)) {
    // An odd last byte is half a character and is dropped.
    std::u16string units(value->data.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(value->data[2 * i]) |
                                       (static_cast<unsigned char>(value->data[2 * i + 1]) << 8));
    }
    result.second = cp932::FromUtf16(units);
  } else {
    result.second = std::move(value->data);
  }
  key.last_name = name;
  key.last_value = result;
  return result;
}

}  // namespace

Key OpenKey(Root root, const AnsiString& path, std::uint32_t /*access: all granted*/) {
  const auto prefix = wine::WinePrefix();
  if (!prefix) return nullptr;
  auto names = SplitKeyPath(path);
  if (!names) return nullptr;
  auto key = std::make_unique<KeyData>(*prefix +
                                       (root == Root::LocalMachine ? "/system.reg" : "/user.reg"));
  if (!key->file.ok() || !key->reg.IsRegistry()) return nullptr;
  if (root == Root::LocalMachine && key->reg.IsWin64()) RedirectTo32BitView(*names);
  const auto where = key->reg.FindKey(*names);
  if (!where) return nullptr;
  key->path = std::move(*names);
  key->where = *where;
  return key.release();
}

bool QueryValueInfo(Key key, const AnsiString& name, std::uint32_t& type, std::uint32_t& size) {
  if (key == nullptr) return false;
  const auto value = LookUp(*key, name);
  if (!value || value->second.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  type = value->first;
  size = static_cast<std::uint32_t>(value->second.size());
  return true;
}

bool QueryValueData(Key key, const AnsiString& name, std::uint8_t* buffer, std::uint32_t size) {
  if (key == nullptr) return false;
  const auto value = LookUp(*key, name);
  if (!value || value->second.size() > size) return false;
  std::memcpy(buffer, value->second.data(), value->second.size());
  std::memset(buffer + value->second.size(), 0, size - value->second.size());
  return true;
}

void CloseKey(Key key) { delete key; }

}  // namespace drelbin::registry
