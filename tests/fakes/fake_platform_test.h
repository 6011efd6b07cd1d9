// A test fixture whose registry and files are the in-memory fakes, emptied
// before each test.
#pragma once

#include <gtest/gtest.h>

#include "tests/fakes/fake_files.h"
#include "tests/fakes/fake_registry.h"

namespace drelbin::testing {

class FakePlatformTest : public ::testing::Test {
 protected:
  FakePlatformTest() {
    registry_.Clear();
    files_.Clear();
  }
  ~FakePlatformTest() override {
    EXPECT_EQ(registry_.OpenKeyCount(), 0) << "a registry key was left open";
    EXPECT_EQ(files_.open_handles, 0) << "a file handle was left open";
  }

  FakeRegistry& registry_ = FakeRegistry::Instance();
  FakeFiles& files_ = FakeFiles::Instance();
};

}  // namespace drelbin::testing
