// Windows paths mapped into a Wine prefix, from any bytes.
//
// Input: one byte that picks the current folder (none on a drive, C:\,
// C:\users\me, D:\), then the path.  Properties: the resolved names never
// climb (none is empty, "." or "..", or holds a separator or NUL), and the
// host path lies below its drive's link in the prefix, and, links followed,
// below the drive's root.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/posix/host_path.h"
#include "platform/posix/wine/windows_path.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzz_prefix.h"

namespace {

using drelbin::wine::DrivePath;

struct Current {
  const char* host;  // below the prefix folder
  std::optional<DrivePath> place;
};

const Current kCurrents[] = {
    {"..", std::nullopt},
    {"drive_c", DrivePath{'c', {}}},
    {"drive_c/users/me", DrivePath{'c', {"users", "me"}}},
    {"data_d", DrivePath{'d', {}}},
};

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

void CheckResolved(const std::string& path, const std::optional<DrivePath>& current) {
  const auto place = drelbin::wine::ResolveWindowsPath(path, current);
  if (!place) return;
  FUZZ_CHECK(place->drive >= 'a' && place->drive <= 'z');
  for (const std::string& name : place->names) FUZZ_CHECK(IsPlainName(name));
}

bool IsBelow(const std::string& path, const std::string& root) {
  return path == root || path.starts_with(root + "/");
}

void CheckHostPath(const std::string& prefix, const std::string& path) {
  const auto host = drelbin::files::HostPath(path);
  if (!host) return;
  const std::string drives = prefix + "/dosdevices/";
  FUZZ_CHECK(host->starts_with(drives) && host->size() >= drives.size() + 2);
  const std::string link = host->substr(0, drives.size() + 2);
  FUZZ_CHECK(link.back() == ':');
  FUZZ_CHECK(IsBelow(*host, link));
  for (std::size_t at = link.size(); at < host->size();) {
    const std::size_t end = std::min(host->find('/', at + 1), host->size());
    FUZZ_CHECK(IsPlainName(host->substr(at + 1, end - at - 1)));
    at = end;
  }
  std::error_code error;
  const auto root = std::filesystem::canonical(link, error);
  FUZZ_CHECK(!error);
  const auto real = std::filesystem::weakly_canonical(*host, error);
  if (!error) FUZZ_CHECK(IsBelow(real.string(), root.string()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string& prefix = drelbin::fuzz::FuzzPrefix();
  const Current& current = kCurrents[data[0] % std::size(kCurrents)];
  const std::string path(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckResolved(path, current.place);
  FUZZ_CHECK(chdir((prefix + "/" + current.host).c_str()) == 0);
  CheckHostPath(prefix, path);
  return 0;
}
