#include "platform/posix/wine/wine_prefix.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace drelbin::wine {
namespace {

std::optional<std::string> HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (const passwd* entry = getpwuid(getuid());
      entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    return std::string(entry->pw_dir);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> WinePrefix() {
  std::string prefix;
  if (const char* variable = std::getenv("WINEPREFIX"); variable != nullptr) {
    prefix = variable;
  } else if (const auto home = HomeFolder()) {
    prefix = *home + "/.wine";
  } else {
    return std::nullopt;
  }
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  if (prefix.empty() || prefix.front() != '/') return std::nullopt;
  return prefix;
}

}  // namespace drelbin::wine
