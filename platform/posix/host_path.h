// How the POSIX file seam turns a control-file path into a host path.
//
// The build links one implementation: host_path_native.cpp takes the path as
// a host path as it stands (the native tests); the Linux program maps the
// Windows path into its Wine prefix.
#pragma once

#include <optional>
#include <string>

#include "repair/ansi_text.h"

namespace drelbin::files {

// The host path of `path`, or nothing when it names no place on this host.
std::optional<std::string> HostPath(const AnsiString& path);

}  // namespace drelbin::files
