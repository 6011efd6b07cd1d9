#include "platform/posix/host_path.h"

namespace drelbin::files {

std::optional<std::string> HostPath(const AnsiString& path) {
  // A path with a NUL inside would name a different file than it says.
  if (path.empty() || path.find('\0') != AnsiString::npos) return std::nullopt;
  return path;
}

}  // namespace drelbin::files
