#include "tests/fakes/fake_registry.h"

#include <algorithm>
#include <cstring>

namespace drelbin::registry {

// A key of the fake: the values of one key.
struct KeyData {
  const std::map<std::string, testing::FakeValue>* values;
};

Key OpenKey(Root root, const AnsiString& path, std::uint32_t access) {
  return testing::FakeRegistry::Instance().OpenKey(root, path, access);
}

bool QueryValueInfo(Key key, const AnsiString& name, std::uint32_t& type, std::uint32_t& size) {
  return testing::FakeRegistry::Instance().QueryValueInfo(key, name, type, size);
}

bool QueryValueData(Key key, const AnsiString& name, std::uint8_t* buffer, std::uint32_t size) {
  return testing::FakeRegistry::Instance().QueryValueData(key, name, buffer, size);
}

void CloseKey(Key key) { testing::FakeRegistry::Instance().CloseKey(key); }

}  // namespace drelbin::registry

namespace drelbin::testing {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
  return text;
}

}  // namespace

FakeRegistry& FakeRegistry::Instance() {
  static FakeRegistry registry;
  return registry;
}

void FakeRegistry::Clear() { *this = FakeRegistry(); }

void FakeRegistry::AddKey(registry::Root root, const std::string& path) {
  keys_[{root, Lower(path)}];
}

void FakeRegistry::SetValue(registry::Root root, const std::string& path, const std::string& name,
                            std::uint32_t type, const std::string& data) {
  keys_[{root, Lower(path)}][Lower(name)] = FakeValue{type, data};
}

registry::Key FakeRegistry::OpenKey(registry::Root root, const std::string& path,
                                    std::uint32_t access) {
  const auto key = keys_.find({root, Lower(path)});
  if (key == keys_.end() || refused_.count(access) != 0) return nullptr;
  opens_.push_back({path, access});
  ++open_keys_;
  return new registry::KeyData{&key->second};
}

const FakeValue* FakeRegistry::Find(registry::Key key, const std::string& name) const {
  const auto value = key->values->find(Lower(name));
  return value == key->values->end() ? nullptr : &value->second;
}

bool FakeRegistry::QueryValueInfo(registry::Key key, const std::string& name, std::uint32_t& type,
                                  std::uint32_t& size) const {
  const FakeValue* value = Find(key, name);
  if (value == nullptr) return false;
  type = value->type;
  size = static_cast<std::uint32_t>(value->data.size());
  return true;
}

bool FakeRegistry::QueryValueData(registry::Key key, const std::string& name, std::uint8_t* buffer,
                                  std::uint32_t size) const {
  const FakeValue* value = Find(key, name);
  if (fail_fetches_ || value == nullptr || value->data.size() > size) return false;
  std::memcpy(buffer, value->data.data(), value->data.size());
  return true;
}

void FakeRegistry::CloseKey(registry::Key key) {
  if (key == nullptr) return;
  --open_keys_;
  delete key;
}

}  // namespace drelbin::testing
