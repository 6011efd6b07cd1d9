#include "tests/fuzz/fuzz_prefix.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace drelbin::fuzz {
namespace {

std::string MakePrefix() {
  std::string top = (std::filesystem::temp_directory_path() / "drelbin-fuzz-XXXXXX").string();
  if (mkdtemp(top.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  static const std::string remove_at_exit = top;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(remove_at_exit, ignored);
  });
  const std::string prefix = top + "/prefix";
  for (const char* folder : {"/dosdevices", "/drive_c/users/me", "/drive_c/Prog/Data",
                             "/drive_c/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88", "/data_d/Share"}) {
    std::filesystem::create_directories(prefix + folder);
  }
  std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
  std::filesystem::create_directory_symlink("../data_d", prefix + "/dosdevices/d:");
  for (const char* file :
       {"/drive_c/Prog/Data/CDCCTL.DAT", "/drive_c/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88/CDCCTL.DAT",
        "/data_d/Share/CDCCTL.DAT", "/drive_c/users/me/CDCCTL.DAT"}) {
    WriteWholeFile(prefix + file, "", 0);
  }
  WriteWholeFile(top + "/CDCCTL.DAT", "", 0);  // outside every drive
  setenv("WINEPREFIX", prefix.c_str(), 1);
  return prefix;
}

}  // namespace

const std::string& FuzzPrefix() {
  static const std::string prefix = MakePrefix();
  return prefix;
}

void WriteWholeFile(const std::string& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

}  // namespace drelbin::fuzz
