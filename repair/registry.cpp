#include "repair/registry.h"

#include <algorithm>
#include <vector>

#include "repair/exceptions.h"
#include "repair/messages.h"

namespace drelbin {

bool TRegistry::OpenKeyReadOnly(const AnsiString& path) {
  CloseKey();
  const AnsiString relative = (!path.empty() && path.front() == '\\') ? path.substr(1) : path;
  for (const std::uint32_t access :
       {registry::kKeyRead, registry::kKeyReadNoNotify, registry::kKeyQueryValue}) {
    key_ = registry::OpenKey(root_, relative, access);
    if (key_ != nullptr) return true;
  }
  return false;
}

AnsiString TRegistry::ReadString(const AnsiString& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (key_ == nullptr || !registry::QueryValueInfo(key_, name, type, size) || size == 0) {
    return AnsiString();
  }
  std::vector<std::uint8_t> data(size);
  if (!registry::QueryValueData(key_, name, data.data(), size)) {
    throw ERegistryException(messages::FetchFailed(name));
  }
  if (type != registry::kRegSz && type != registry::kRegExpandSz) {
    throw ERegistryException(messages::BadDataType(name));
  }
  const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
  return AnsiString(data.begin(), end);
}

void TRegistry::CloseKey() {
  registry::CloseKey(key_);
  key_ = nullptr;
}

}  // namespace drelbin
