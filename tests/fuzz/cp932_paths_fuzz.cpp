// The control-file paths built from any registry value.
//
// Input: one byte that picks the value's type, then the value's data; the
// same value stands as DisplayIcon and as CommonDataPath.  Both lookups run
// against the in-memory registry and files, with a file at the path the
// rules give, so a wrong path shows as a failed write.
#include <cstdint>
#include <string>
#include <vector>

#include "repair/ansi_text.h"
#include "repair/exceptions.h"
#include "repair/lookups.h"
#include "repair/messages.h"
#include "tests/fakes/fake_files.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using drelbin::AnsiString;
namespace registry = drelbin::registry;

// Which bytes of `text` begin a character of code page 932.
std::vector<bool> CharacterStarts(const AnsiString& text) {
  std::vector<bool> starts(text.size(), false);
  for (std::size_t i = 0; i < text.size();) {
    starts[i] = true;
    i += drelbin::IsCp932LeadByte(static_cast<std::uint8_t>(text[i])) ? std::size_t{2}
                                                                      : std::size_t{1};
  }
  return starts;
}

bool IsSeparatorAt(const AnsiString& text, const std::vector<bool>& starts, std::size_t i) {
  return starts[i] && (text[i] == '\\' || text[i] == ':');
}

void CheckFolderPart(const AnsiString& text) {
  const AnsiString folder = drelbin::ExtractFilePath(text);
  const std::vector<bool> starts = CharacterStarts(text);
  FUZZ_CHECK(text.compare(0, folder.size(), folder) == 0);  // a prefix
  FUZZ_CHECK(folder.empty() || IsSeparatorAt(text, starts, folder.size() - 1));
  for (std::size_t i = folder.size(); i < text.size(); ++i) {
    FUZZ_CHECK(!IsSeparatorAt(text, starts, i));  // the last separator
  }
  FUZZ_CHECK(drelbin::ControlFileFromDisplayIcon(text) == folder + "Data\\CDCCTL.DAT");
  FUZZ_CHECK(drelbin::ControlFileFromCommonDataPath(text) == text + "CDCCTL.DAT");
}

// One lookup over the value: the outcome that the reading rules give.
template <typename Lookup>
void CheckLookup(Lookup lookup, const char* value_name, std::uint32_t type, const AnsiString& data,
                 const AnsiString& expected_path) {
  auto& files = drelbin::testing::FakeFiles::Instance();
  files.Clear();
  files.AddFile(expected_path);
  const AnsiString text = data.substr(0, data.find('\0'));
  const bool is_text = type == registry::kRegSz || type == registry::kRegExpandSz;
  try {
    const drelbin::LookupResult result = lookup();
    FUZZ_CHECK(data.empty() || is_text);
    if (text.empty()) {
      FUZZ_CHECK(result == drelbin::lrNoPath);
      FUZZ_CHECK(files.opened.empty());
    } else {
      FUZZ_CHECK(result == drelbin::lrRepaired);
      FUZZ_CHECK(files.opened == std::vector<std::string>{expected_path});
    }
  } catch (const drelbin::ERegistryException& error) {
    FUZZ_CHECK(!data.empty() && !is_text);
    FUZZ_CHECK(error.Message() == drelbin::messages::BadDataType(value_name));
    FUZZ_CHECK(files.opened.empty());
  }
  FUZZ_CHECK(files.open_handles == 0);
  FUZZ_CHECK(drelbin::testing::FakeRegistry::Instance().OpenKeyCount() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t type = bytes[0] % 8u;  // REG_NONE .. REG_MULTI_SZ
  const AnsiString data(reinterpret_cast<const char*>(bytes + 1), size - 1);
  const AnsiString text = data.substr(0, data.find('\0'));
  CheckFolderPart(data);
  CheckFolderPart(text);

  auto& reg = drelbin::testing::FakeRegistry::Instance();
  reg.Clear();
  reg.SetValue(registry::Root::LocalMachine, drelbin::kUninstallKey.substr(1),
               drelbin::kDisplayIconValue, type, data);
  reg.SetValue(registry::Root::CurrentUser, drelbin::kSettingsKey.substr(1),
               drelbin::kCommonDataPathValue, type, data);
  CheckLookup(drelbin::RepairFromUninstallEntry, "DisplayIcon", type, data,
              drelbin::ControlFileFromDisplayIcon(text));
  CheckLookup(drelbin::RepairFromCommonDataPath, "CommonDataPath", type, data,
              drelbin::ControlFileFromCommonDataPath(text));
  return 0;
}
