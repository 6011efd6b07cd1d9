#include "tests/platform/posix/wine/test_prefix.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace drelbin::testing {

std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(DRELBIN_WINE_FIXTURES) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("no fixture " + name);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TestPrefix::TestPrefix() {
  if (const char* old = getenv("WINEPREFIX")) {
    had_prefix_ = true;
    old_prefix_ = old;
  }
  std::filesystem::create_directories(DriveC());
  std::filesystem::create_directories(folder_.path() / "dosdevices");
  std::filesystem::create_directory_symlink("../drive_c", folder_.path() / "dosdevices" / "c:");
  setenv("WINEPREFIX", folder_.path().c_str(), 1);
}

TestPrefix::~TestPrefix() {
  if (had_prefix_) {
    setenv("WINEPREFIX", old_prefix_.c_str(), 1);
  } else {
    unsetenv("WINEPREFIX");
  }
}

void TestPrefix::WriteSystemReg(const std::string& text) const {
  WriteFileBytes(folder_ / "system.reg", Bytes(text.begin(), text.end()));
}

void TestPrefix::WriteUserReg(const std::string& text) const {
  WriteFileBytes(folder_ / "user.reg", Bytes(text.begin(), text.end()));
}

void TestPrefix::UseFixtures() const {
  WriteSystemReg(ReadFixture("system.reg"));
  WriteUserReg(ReadFixture("user.reg"));
}

std::filesystem::path TestPrefix::MakeFile(const std::string& relative, std::size_t size) const {
  const std::filesystem::path file = DriveC() / relative;
  std::filesystem::create_directories(file.parent_path());
  WriteFileBytes(file.string(), PatternBytes(size));
  return file;
}

}  // namespace drelbin::testing
