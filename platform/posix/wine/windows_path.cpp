#include "platform/posix/wine/windows_path.h"

#include <algorithm>
#include <array>

namespace drelbin::wine {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool IsForbidden(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' ||
         c == '*';
}

// True for a name that Windows opens as a DOS device rather than a file:
// the device's name, alone or followed by an extension, blanks or a colon.
bool IsDosDevice(std::string_view name) {
  const std::size_t stem_end = std::min(name.find_first_of(". :"), name.size());
  std::string stem(name.substr(0, stem_end));
  std::transform(stem.begin(), stem.end(), stem.begin(), AsciiLower);
  static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
  if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::optional<DrivePath> ResolveWindowsPath(std::string_view path,
                                            const std::optional<DrivePath>& current) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    return std::nullopt;  // UNC or device path: nothing in the prefix
  }
  DrivePath result;
  std::string_view rest = path;
  const char first = AsciiLower(path[0]);
  if (path.size() >= 2 && path[1] == ':' && first >= 'a' && first <= 'z') {
    result.drive = first;
    rest.remove_prefix(2);
  } else if (!current) {
    return std::nullopt;
  } else {
    result.drive = current->drive;
    if (!IsSeparator(path[0])) result.names = current->names;
  }

  // Split into names; a run of separators is one.
  std::vector<std::string_view> parts;
  for (std::size_t i = 0; i < rest.size();) {
    if (IsSeparator(rest[i])) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < rest.size() && !IsSeparator(rest[j])) ++j;
    parts.push_back(rest.substr(i, j - i));
    i = j;
  }
  const bool ends_in_separator = !rest.empty() && IsSeparator(rest.back());

  for (std::size_t k = 0; k < parts.size(); ++k) {
    std::string_view name = parts[k];
    if (name == ".") continue;
    if (name == "..") {
      if (!result.names.empty()) result.names.pop_back();
      continue;
    }
    const bool last = k + 1 == parts.size() && !ends_in_separator;
    if (last) {
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
      if (name.empty()) continue;  // "dir\. ." names the folder itself
    } else if (name.back() == '.') {
      name.remove_suffix(1);
    }
    if (name == "." || name == "..") return std::nullopt;
    if (std::any_of(name.begin(), name.end(), IsForbidden)) return std::nullopt;
    result.names.emplace_back(name);
  }
  if (!result.names.empty() && !ends_in_separator && IsDosDevice(result.names.back())) {
    return std::nullopt;
  }
  return result;
}

std::optional<DrivePath> DrivePathOfFolder(std::string_view folder,
                                           const std::vector<DriveRoot>& roots) {
  const DriveRoot* best = nullptr;
  std::size_t best_length = 0;
  for (const DriveRoot& root : roots) {
    std::string_view base = root.root;
    while (base.size() > 1 && base.back() == '/') base.remove_suffix(1);
    const bool holds = base == "/" ? folder.starts_with('/')
                                   : folder.starts_with(base) && (folder.size() == base.size() ||
                                                                  folder[base.size()] == '/');
    if (!holds) continue;
    if (best == nullptr || base.size() > best_length ||
        (base.size() == best_length && root.drive < best->drive)) {
      best = &root;
      best_length = base.size();
    }
  }
  if (best == nullptr) return std::nullopt;
  DrivePath place{best->drive, {}};
  const std::string_view below = folder.substr(best_length == 1 ? 0 : best_length);
  for (std::size_t i = 0; i < below.size();) {
    if (below[i] == '/') {
      ++i;
      continue;
    }
    std::size_t j = below.find('/', i);
    if (j == std::string_view::npos) j = below.size();
    place.names.emplace_back(below.substr(i, j - i));
    i = j;
  }
  return place;
}

}  // namespace drelbin::wine
