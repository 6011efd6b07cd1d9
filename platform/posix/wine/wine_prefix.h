// Where the Wine prefix lies, decided as Wine decides it.
#pragma once

#include <optional>
#include <string>

namespace drelbin::wine {

// The prefix folder: $WINEPREFIX when set, else .wine in the home folder
// ($HOME, or the password database's entry when HOME is unset), with trailing
// slashes removed.  nullopt when WINEPREFIX is set but not an absolute path
// (Wine refuses to run then) or no home folder is known.  Read anew on every
// call; the folder need not exist.
std::optional<std::string> WinePrefix();

}  // namespace drelbin::wine
