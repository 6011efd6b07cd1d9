// A Wine prefix laid out in a temporary folder for one test, and the
// registry files that Wine wrote (fixtures/).
#pragma once

#include <string>

#include "tests/support/temp_folder.h"

namespace drelbin::testing {

// The text of fixtures/<name>.
std::string ReadFixture(const std::string& name);

// Sets WINEPREFIX to a fresh folder holding drive_c and dosdevices/c: ->
// ../drive_c, as wineboot makes them; restores the variable afterwards.
class TestPrefix {
 public:
  TestPrefix();
  TestPrefix(const TestPrefix&) = delete;
  TestPrefix& operator=(const TestPrefix&) = delete;
  ~TestPrefix();

  std::string operator/(const std::string& name) const { return folder_ / name; }
  const std::filesystem::path& path() const { return folder_.path(); }
  std::filesystem::path DriveC() const { return folder_.path() / "drive_c"; }

  void WriteSystemReg(const std::string& text) const;
  void WriteUserReg(const std::string& text) const;
  // system.reg and user.reg from the fixtures.
  void UseFixtures() const;
  // A file of `size` pattern bytes at `relative` below drive_c, folders made.
  std::filesystem::path MakeFile(const std::string& relative, std::size_t size = 200) const;

 private:
  TempFolder folder_;
  bool had_prefix_ = false;
  std::string old_prefix_;
};

}  // namespace drelbin::testing
