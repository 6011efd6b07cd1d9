// An in-memory registry behind the registry seam, for tests of the core.
//
// Keys and value names match without regard to ASCII case, as Windows does.
// Switches refuse chosen access levels or make every data fetch fail, and a
// log records which keys were opened and whether any is still open.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "repair/registry_primitives.h"

namespace drelbin::testing {

struct FakeValue {
  std::uint32_t type;
  std::string data;  // raw bytes, NULs included
};

class FakeRegistry {
 public:
  // The registry that the seam functions read; reset by each test's fixture.
  static FakeRegistry& Instance();

  void Clear();
  void AddKey(registry::Root root, const std::string& path);
  void SetValue(registry::Root root, const std::string& path, const std::string& name,
                std::uint32_t type, const std::string& data);
  void RefuseAccess(std::uint32_t access) { refused_.insert(access); }
  void FailFetches() { fail_fetches_ = true; }

  // Paths of successful opens, in order, with the access granted.
  struct Open {
    std::string path;
    std::uint32_t access;
  };
  const std::vector<Open>& Opens() const { return opens_; }
  int OpenKeyCount() const { return open_keys_; }

  // The seam's view.
  registry::Key OpenKey(registry::Root root, const std::string& path, std::uint32_t access);
  bool QueryValueInfo(registry::Key key, const std::string& name, std::uint32_t& type,
                      std::uint32_t& size) const;
  bool QueryValueData(registry::Key key, const std::string& name, std::uint8_t* buffer,
                      std::uint32_t size) const;
  void CloseKey(registry::Key key);

 private:
  using Values = std::map<std::string, FakeValue>;  // lower-cased names
  const FakeValue* Find(registry::Key key, const std::string& name) const;

  std::map<std::pair<registry::Root, std::string>, Values> keys_;  // lower-cased paths
  std::set<std::uint32_t> refused_;
  bool fail_fetches_ = false;
  std::vector<Open> opens_;
  int open_keys_ = 0;
};

}  // namespace drelbin::testing
