// A Wine prefix in a fresh temporary folder for a fuzz target, made on first
// use, named by WINEPREFIX, and removed when the process exits.
#pragma once

#include <string>

namespace drelbin::fuzz {

// The prefix folder: dosdevices/c: -> ../drive_c and dosdevices/d: ->
// ../data_d, with a few folders and control files on both drives and a file
// beside the prefix that no Windows path may reach.
const std::string& FuzzPrefix();

// Writes `size` bytes to `path`, replacing it.
void WriteWholeFile(const std::string& path, const void* data, std::size_t size);

}  // namespace drelbin::fuzz
