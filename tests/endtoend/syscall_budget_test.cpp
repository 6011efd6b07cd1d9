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
  std::string args;      // as strace prints them, descriptors as N<path>
  std::string result;    // a number, or "?"
  std::string fd_file;   // the file of a first argument that is a descriptor
  std::string path_arg;  // the first path (quoted string) argument
};

// A text as strace escapes it (\xhh, \ooo, \n, \", \\ ...), unescaped.
std::string Unescape(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      plain += text[i];
      continue;
    }
    const char c = text[++i];
    if (c == 'x' && i + 2 < text.size()) {
      plain += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else if (c >= '0' && c <= '7') {
      std::size_t digits = 1;
      while (digits < 3 && i + digits < text.size() && text[i + digits] >= '0' &&
             text[i + digits] <= '7') {
        ++digits;
      }
      plain += static_cast<char>(std::stoi(text.substr(i, digits), nullptr, 8));
      i += digits - 1;
    } else {
      static const std::string kFrom = "ntrvf", kTo = "\n\t\r\v\f";
      const std::size_t at = kFrom.find(c);
      plain += at == std::string::npos ? c : kTo[at];
    }
  }
  return plain;
}

std::vector<Syscall> ParseStraceLog(const std::string& log) {
  // "1234  openat(AT_FDCWD</tmp>, "/tmp/x", O_RDWR) = 3</tmp/x>"
  static const std::regex kLine(R"(^\d+\s+(\w+)\((.*)\)\s+=\s+(\S+).*$)");
  static const std::regex kFdFile(R"(^\d+<((?:[^>\\]|\\.)*)>)");
  static const std::regex kPath(R"re("((?:[^"\\]|\\.)*)")re");
  std::vector<Syscall> calls;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (!std::regex_match(line, match, kLine)) continue;
    Syscall call{match[1], match[2], match[3], {}, {}};
    if (std::regex_search(call.args, match, kFdFile)) call.fd_file = Unescape(match[1]);
    if (std::regex_search(call.args, match, kPath)) call.path_arg = Unescape(match[1]);
    calls.push_back(call);
  }
  return calls;
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

bool IsOpen(const Syscall& call) {
  return IsOneOf(call.name, {"open", "openat", "openat2", "creat"});
}

// The file that a path names, links followed; the path itself when nothing
// is there.
std::string RealFile(const std::string& path) {
  std::error_code error;
  const auto real = std::filesystem::weakly_canonical(path, error);
  return error ? path : real.string();
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
    std::vector<std::string> command = {"strace", "-f", "-qq", "-y",    "-x",
                                        "-s",     "0",  "-o",  log_file};
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
  const std::string path = RealFile(control_file_);

  const auto opens = Select(
      calls, [&](const Syscall& call) { return IsOpen(call) && RealFile(call.path_arg) == path; });
  ASSERT_EQ(opens.size(), 1u) << Describe(opens);
  EXPECT_NE(opens[0].args.find("O_RDWR"), std::string::npos) << Describe(opens);
  EXPECT_EQ(opens[0].args.find("O_CREAT"), std::string::npos) << Describe(opens);
  EXPECT_EQ(opens[0].args.find("O_TRUNC"), std::string::npos) << Describe(opens);

  const auto on_file = Select(calls, [&](const Syscall& call) { return call.fd_file == path; });
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
  const std::string path = RealFile(control_file_);

  // Every write but the table's: only the runner's one line on stdout.
  const auto other_writes = Select(calls, [&](const Syscall& call) {
    return IsOneOf(call.name, {"write", "pwrite64", "writev", "pwritev", "pwritev2", "sendfile",
                               "copy_file_range", "splice", "vmsplice"}) &&
           call.fd_file != path;
  });
  ASSERT_EQ(other_writes.size(), 1u) << Describe(other_writes);
  EXPECT_TRUE(other_writes[0].args.starts_with("1<pipe:")) << Describe(other_writes);

  // Nothing opened for writing but the control file; nothing created,
  // removed, renamed, truncated, or given new rights or owners; no file
  // mapped writable and shared.
  const auto writable_opens = Select(calls, [&](const Syscall& call) {
    if (!IsOpen(call) || RealFile(call.path_arg) == path) return false;
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
