// The Wine prefix's registry files spoiled: unreadable, empty, not a file,
// or cut anywhere -- in a line, a key, an escape, a multi-line hex value.
// The repair runs in this process through the Linux program's own seams
// (registry files, paths mapped into the prefix, POSIX files).  Whatever the
// files hold: no crash, no hang, no byte changed outside a table, and the
// message (or the error text) agrees with what was written.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "repair/exceptions.h"
#include "repair/lookups.h"
#include "repair/messages.h"
#include "repair/registry_primitives.h"
#include "repair/repair_command.h"
#include "repair/tax_rate_table.h"
#include "tests/endtoend/wine_prefix_fixture.h"
#include "tests/faults/file_census.h"

namespace drelbin::testing {
namespace {

enum class FileState { Unchanged, Repaired };

void PrintTo(FileState state, std::ostream* os) {
  *os << (state == FileState::Unchanged ? "unchanged" : "repaired");
}

class RecordingHost : public RepairCommandHost {
 public:
  void ShowResultMessage(const AnsiString& text) override { messages.push_back(text); }
  void CloseDialog() override {}
  std::vector<AnsiString> messages;
};

class RegistryFileFaultTest : public ::testing::Test {
 protected:
  RegistryFileFaultTest() { setenv("WINEPREFIX", prefix_.prefix().c_str(), 1); }
  ~RegistryFileFaultTest() override { unsetenv("WINEPREFIX"); }

  static void WriteText(const std::string& path, const std::string& text) {
    WriteFileBytes(path, Bytes(text.begin(), text.end()));
  }

  FileState StateOf(const std::string& control_file) const {
    Bytes repaired = content_;
    const TaxRateTableBytes table = SerializeTaxRateTable(kTaxRateHistory);
    std::copy(table.begin(), table.end(), repaired.begin() + TaxRateTableOffset);
    const Bytes now = ReadFileBytes(control_file);
    EXPECT_TRUE(now == content_ || now == repaired)
        << control_file << " is neither as before nor repaired";
    return now == repaired ? FileState::Repaired : FileState::Unchanged;
  }

  // One repair; checks what holds whatever the registry files say, and
  // returns the state of the two control files (uninstall entry's first).
  std::pair<FileState, FileState> RepairAndCheck(const std::string& label) {
    SCOPED_TRACE(label);
    const FileCensus before = TakeCensus(prefix_.prefix());
    const int descriptors = OpenDescriptorCount();
    RecordingHost host;
    std::optional<AnsiString> error;
    try {
      RunRepairCommand(host);
    } catch (const ERegistryException& raised) {
      error = raised.Message();
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors) << "a descriptor was left open";
    EXPECT_TRUE(OnlyTableBytesChanged(before, TakeCensus(prefix_.prefix())));
    const std::pair states{StateOf(prefix_.uninstall_control_file()),
                           StateOf(prefix_.settings_control_file())};
    if (error) {
      // Only a value that is there but is no text can raise an error here.
      EXPECT_TRUE(*error == messages::BadDataType(kDisplayIconValue) ||
                  *error == messages::BadDataType(kCommonDataPathValue))
          << *error;
      EXPECT_TRUE(host.messages.empty());
    } else {
      const bool any = states.first == FileState::Repaired || states.second == FileState::Repaired;
      EXPECT_EQ(host.messages,
                std::vector<AnsiString>{any ? messages::kRepaired : messages::kNotFound});
    }
    return states;
  }

  // Puts the two files back as the fixture made them.
  void Restore() {
    WriteFileBytes(prefix_.uninstall_control_file(), content_);
    WriteFileBytes(prefix_.settings_control_file(), content_);
    std::filesystem::remove_all(prefix_.system_reg());
    std::filesystem::remove_all(prefix_.user_reg());
    WriteText(prefix_.system_reg(), WinePrefixFixture::SystemRegText());
    WriteText(prefix_.user_reg(), WinePrefixFixture::UserRegText());
  }

  const Bytes content_ = PatternBytes(300);
  WinePrefixFixture prefix_{content_};
};

TEST_F(RegistryFileFaultTest, IntactFilesRepairBothControlFiles) {
  EXPECT_EQ(RepairAndCheck("intact"), std::pair(FileState::Repaired, FileState::Repaired));
}

// Each way of spoiling one registry file, applied to system.reg (the
// uninstall entry) and to user.reg (the settings) in turn: the lookup that
// reads it finds nothing, the other one repairs its file.
struct Spoiling {
  const char* name;
  void (*spoil)(const std::string& reg_file);
};

const Spoiling kSpoilings[] = {
    {"Missing", [](const std::string& f) { std::filesystem::remove(f); }},
    {"Empty", [](const std::string& f) { WriteFileBytes(f, {}); }},
    {"Directory",
     [](const std::string& f) {
       std::filesystem::remove(f);
       std::filesystem::create_directory(f);
     }},
    {"Fifo",
     [](const std::string& f) {
       std::filesystem::remove(f);
       ASSERT_EQ(mkfifo(f.c_str(), 0644), 0);
     }},
    {"DanglingSymlink",
     [](const std::string& f) {
       std::filesystem::remove(f);
       std::filesystem::create_symlink("nowhere.reg", f);
     }},
    {"HeaderOnly",
     [](const std::string& f) {
       const std::string header = "WINE REGISTRY Version 2\n";
       WriteFileBytes(f, Bytes(header.begin(), header.end()));
     }},
    {"NoHeader",
     [](const std::string& f) {
       Bytes bytes = ReadFileBytes(f);
       bytes.erase(bytes.begin(), bytes.begin() + 24);  // "WINE REGISTRY Version 2\n"
       WriteFileBytes(f, bytes);
     }},
    {"Binary", [](const std::string& f) { WriteFileBytes(f, PatternBytes(4096)); }},
};

TEST_F(RegistryFileFaultTest, SpoiledFileHidesItsEntryOnly) {
  for (const Spoiling& spoiling : kSpoilings) {
    Restore();
    spoiling.spoil(prefix_.system_reg());
    EXPECT_EQ(RepairAndCheck(std::string("system.reg ") + spoiling.name),
              std::pair(FileState::Unchanged, FileState::Repaired));
    Restore();
    spoiling.spoil(prefix_.user_reg());
    EXPECT_EQ(RepairAndCheck(std::string("user.reg ") + spoiling.name),
              std::pair(FileState::Repaired, FileState::Unchanged));
  }
  Restore();
  WriteFileBytes(prefix_.system_reg(), {});
  WriteFileBytes(prefix_.user_reg(), {});
  EXPECT_EQ(RepairAndCheck("both empty"), std::pair(FileState::Unchanged, FileState::Unchanged));
}

TEST_F(RegistryFileFaultTest, FileWithoutReadPermission) {
  ASSERT_EQ(chmod(prefix_.system_reg().c_str(), 0), 0);
  // Root reads it all the same; anyone else finds no entry there.
  const FileState expected = geteuid() == 0 ? FileState::Repaired : FileState::Unchanged;
  EXPECT_EQ(RepairAndCheck("system.reg mode 000"), std::pair(expected, FileState::Repaired));
}

// A file cut at `where` (the offset of a text in it, plus `more` bytes).
std::string CutAt(const std::string& text, const std::string& where, std::size_t more) {
  const std::size_t at = text.find(where);
  EXPECT_NE(at, std::string::npos) << where;
  return text.substr(0, at + more);
}

TEST_F(RegistryFileFaultTest, CutsThatLeaveNoUsableValue) {
  const std::string system = WinePrefixFixture::SystemRegText();
  const std::string user = WinePrefixFixture::UserRegText();
  const struct {
    const char* name;
    bool in_system;
    std::string text;
  } cuts[] = {
      {"in the header", true, CutAt(system, "REGISTRY", 3)},
      {"in the key line", true, CutAt(system, "Uninstall", 4)},
      {"after the key line", true, CutAt(system, "#time", 0)},
      {"in the value name", true, CutAt(system, "DisplayIcon", 5)},
      {"in the type", true, CutAt(system, "hex(2)", 4)},
      {"in the drive of the hex value", true, CutAt(system, "43,00,3a", 4)},
      {"in a hex byte", true, CutAt(system, "43,00,3a", 7)},
      {"after a continuation line break", true, CutAt(system, ",\\\n", 3)},
      {"in the key line", false, CutAt(user, "TARNVEX V1.0a", 8)},
      {"in the value name", false, CutAt(user, "CommonData", 6)},
      {"in a backslash escape", false, CutAt(user, "C:\\\\", 3)},
      {"in a \\x escape", false, CutAt(user, "\\x30bd", 4)},
      {"before the closing quote", false, CutAt(user, "\\x30c8\\\\\"", 8)},
  };
  for (const auto& cut : cuts) {
    Restore();
    WriteText(cut.in_system ? prefix_.system_reg() : prefix_.user_reg(), cut.text);
    const auto states =
        RepairAndCheck(std::string(cut.in_system ? "system.reg" : "user.reg") + " cut " + cut.name);
    EXPECT_EQ(cut.in_system ? states.first : states.second, FileState::Unchanged)
        << (cut.in_system ? "system.reg" : "user.reg") << " cut " << cut.name;
  }
}

// Every cut of each file: the other file's lookup always repairs its own.
TEST_F(RegistryFileFaultTest, EveryCutOfEitherFile) {
  for (const bool in_system : {true, false}) {
    const std::string text =
        in_system ? WinePrefixFixture::SystemRegText() : WinePrefixFixture::UserRegText();
    for (std::size_t length = 0; length <= text.size(); ++length) {
      Restore();
      WriteText(in_system ? prefix_.system_reg() : prefix_.user_reg(), text.substr(0, length));
      const auto states = RepairAndCheck((in_system ? "system.reg" : "user.reg") +
                                         std::string(" cut to ") + std::to_string(length));
      EXPECT_EQ(in_system ? states.second : states.first, FileState::Repaired) << length;
      if (length == text.size()) {
        EXPECT_EQ(states, std::pair(FileState::Repaired, FileState::Repaired));
      }
    }
  }
}

// The registry file shrinks (rewritten in place by someone) while a key of
// it is open: reading on must not touch what is no longer in the file.
TEST_F(RegistryFileFaultTest, FileShrinkingUnderAnOpenKey) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const AnsiString key_path = kUninstallKey.substr(1);
    const registry::Key key =
        registry::OpenKey(registry::Root::LocalMachine, key_path, registry::kKeyRead);
    if (key == nullptr) _exit(2);
    if (truncate(prefix_.system_reg().c_str(), 0) != 0) _exit(3);
    std::uint32_t type = 0, size = 0;
    registry::QueryValueInfo(key, kDisplayIconValue, type, size);
    registry::CloseKey(key);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_FALSE(WIFSIGNALED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace drelbin::testing
