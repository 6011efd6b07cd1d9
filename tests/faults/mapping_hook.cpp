#include "tests/faults/mapping_hook.h"

#include <utility>

#include "platform/posix/host_path.h"

namespace drelbin::testing {
namespace {

struct Hook {
  int remaining = 0;  // mappings until the action; 0 is none pending
  std::function<void()> action;
  bool ran = false;
};

Hook& TheHook() {
  static Hook hook;
  return hook;
}

}  // namespace

void RunBeforeMapping(int nth, std::function<void()> action) {
  TheHook() = Hook{nth, std::move(action), false};
}

bool ClearMappingHook() {
  const bool ran = TheHook().ran;
  TheHook() = Hook{};
  return ran;
}

}  // namespace drelbin::testing

namespace drelbin::files {

std::optional<std::string> HostPath(const AnsiString& path) {
  auto& hook = testing::TheHook();
  if (hook.remaining > 0 && --hook.remaining == 0) {
    hook.ran = true;
    hook.action();
  }
  if (path.empty() || path.find('\0') != AnsiString::npos) return std::nullopt;
  return path;
}

}  // namespace drelbin::files
