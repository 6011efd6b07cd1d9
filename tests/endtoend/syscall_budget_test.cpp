// The system calls of one repair of one control file, as strace sees them:
// one open of the file, one write of the 96-byte table, one flush, one
// close, and no other write to any file.  The runner's one line on standard
// output is the only other write.
#include <regex>
#include <sstream>

#include "tests/endtoend/repair_fixture.h"

namespace drelbin::testing {
namespace {

struct Syscall {
  std::string name;
  std::string args;    // with each descriptor shown as N<path>
  std::string result;  // as strace prints it: a number, or "?"
};

std::vector<Syscall> ParseStraceLog(const std::string& log) {
  // "1234  openat(AT_FDCWD</tmp>, "/tmp/x", O_RDWR) = 3</tmp/x>"
  static const std::regex kLine(R"(^\d+\s+(\w+)\((.*)\)\s+=\s+(\S+).*$)");
  std::vector<Syscall> calls;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_match(line, match, kLine)) calls.push_back({match[1], match[2], match[3]});
  }
  return calls;
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

// The descriptor argument that names `path`, as strace -y prints it.
bool OnFile(const Syscall& call, const std::string& path) {
  return call.args.find("<" + path + ">") != std::string::npos;
}

std::string Describe(const std::vector<Syscall>& calls) {
  std::string text;
  for (const auto& call : calls)
    text += "\n  " + call.name + "(" + call.args + ") = " + call.result;
  return text;
}

template <typename Predicate>
std::vector<Syscall> Select(const std::vector<Syscall>& calls, Predicate predicate) {
  std::vector<Syscall> selected;
  for (const auto& call : calls) {
    if (predicate(call)) selected.push_back(call);
  }
  return selected;
}

class SyscallBudgetTest : public EndToEndTest {
 protected:
  std::vector<Syscall> TraceRepair() {
    const std::string log_file = logs_ / "strace.log";
    std::vector<std::string> command = {"strace", "-f", "-qq", "-y", "-s", "0", "-o", log_file};
    for (const auto& arg : RunnerCommand()) command.push_back(arg);
    const ProgramRun run = RunProgram(command);
    ExpectRepaired(run);
    const Bytes log = ReadFileBytes(log_file);
    return ParseStraceLog(std::string(log.begin(), log.end()));
  }

  TempFolder logs_;  // apart from the folder the runner works in
};

TEST_F(SyscallBudgetTest, OneOpenOneWriteOneFlushOneCloseOfTheControlFile) {
  const std::vector<Syscall> calls = TraceRepair();
  ASSERT_FALSE(calls.empty()) << "strace logged nothing";
  const std::string& path = control_file_;

  const auto opens = Select(calls, [&](const Syscall& call) {
    return IsOneOf(call.name, {"open", "openat", "openat2", "creat"}) &&
           call.args.find("\"" + path + "\"") != std::string::npos;
  });
  ASSERT_EQ(opens.size(), 1u) << Describe(opens);
  EXPECT_NE(opens[0].args.find("O_RDWR"), std::string::npos) << Describe(opens);
  EXPECT_EQ(opens[0].args.find("O_CREAT"), std::string::npos) << Describe(opens);
  EXPECT_EQ(opens[0].args.find("O_TRUNC"), std::string::npos) << Describe(opens);

  const auto on_file = Select(calls, [&](const Syscall& call) { return OnFile(call, path); });
  const auto writes = Select(on_file, [](const Syscall& call) {
    return IsOneOf(call.name, {"write", "pwrite64", "writev", "pwritev", "pwritev2"});
  });
  ASSERT_EQ(writes.size(), 1u) << Describe(writes);
  EXPECT_TRUE(writes[0].args.ends_with(", 96") && writes[0].result == "96") << Describe(writes);
  const auto flushes = Select(on_file, [](const Syscall& call) {
    return IsOneOf(call.name, {"fsync", "fdatasync"});
  });
  EXPECT_EQ(flushes.size(), 1u) << Describe(flushes);
  const auto closes = Select(on_file, [](const Syscall& call) { return call.name == "close"; });
  EXPECT_EQ(closes.size(), 1u) << Describe(closes);
}

TEST_F(SyscallBudgetTest, NoOtherWriteToAnyFile) {
  const std::vector<Syscall> calls = TraceRepair();
  ASSERT_FALSE(calls.empty()) << "strace logged nothing";
  const std::string& path = control_file_;

  // Every write but the table's: only the runner's one line on stdout.
  const auto other_writes = Select(calls, [&](const Syscall& call) {
    return IsOneOf(call.name, {"write", "pwrite64", "writev", "pwritev", "pwritev2", "sendfile",
                               "copy_file_range", "splice", "vmsplice"}) &&
           !OnFile(call, path);
  });
  ASSERT_EQ(other_writes.size(), 1u) << Describe(other_writes);
  EXPECT_TRUE(other_writes[0].args.starts_with("1<pipe:")) << Describe(other_writes);

  // Nothing opened for writing but the control file; nothing created,
  // removed, renamed, truncated, or given new rights or owners; no file
  // mapped writable and shared.
  const auto writable_opens = Select(calls, [&](const Syscall& call) {
    if (!IsOneOf(call.name, {"open", "openat", "openat2", "creat"})) return false;
    if (call.args.find("\"" + path + "\"") != std::string::npos) return false;
    return call.name == "creat" ||
           std::regex_search(call.args, std::regex("O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND"));
  });
  EXPECT_TRUE(writable_opens.empty()) << Describe(writable_opens);
  const auto changes = Select(calls, [](const Syscall& call) {
    return IsOneOf(
        call.name,
        {"truncate",  "ftruncate",   "fallocate",    "rename",      "renameat",  "renameat2",
         "unlink",    "unlinkat",    "rmdir",        "mkdir",       "mkdirat",   "mknod",
         "mknodat",   "link",        "linkat",       "symlink",     "symlinkat", "chmod",
         "fchmod",    "fchmodat",    "chown",        "fchown",      "lchown",    "fchownat",
         "utime",     "utimes",      "utimensat",    "futimesat",   "setxattr",  "lsetxattr",
         "fsetxattr", "removexattr", "lremovexattr", "fremovexattr"});
  });
  EXPECT_TRUE(changes.empty()) << Describe(changes);
  const auto shared_writable_maps = Select(calls, [](const Syscall& call) {
    return call.name == "mmap" && call.args.find("PROT_WRITE") != std::string::npos &&
           call.args.find("MAP_SHARED") != std::string::npos;
  });
  EXPECT_TRUE(shared_writable_maps.empty()) << Describe(shared_writable_maps);
}

}  // namespace
}  // namespace drelbin::testing
