// Speed and memory of a registry lookup in a Wine prefix, beside a plain
// memmem scan over the same bytes.
//
// Files: the Wine-written fixture system.reg as it stands, and copies padded
// with its own keys to the size of a fresh prefix's system.reg (about
// 1.7 MB) and to about 50 MB, the wanted key in the middle.  A file of your
// own can be added with DRELBIN_BENCH_SYSTEM_REG=/path/to/system.reg.
//
// The lookup is what the program does: open the key through the registry
// seam (mapping the file, one pass to find the key), read DisplayIcon (the
// key's sections only), close.  Beside it, memmem looks over the same bytes
// for a needle that is not there, so that it reads every byte once: once
// with the file opened and mapped anew each time, as the lookup reads it
// ("file scan"), and once over bytes already mapped ("memory scan").  At the
// end the run prints the CPU times and ratios, and fails when a lookup takes
// more than 3 times the file scan.  Mapping a file costs its page tables,
// which on some virtual machines is the larger part of a lookup of a
// registry-sized file: the memory scan shows that part.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <string.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>

#include "bench/allocation_counter.h"
#include "platform/posix/wine/mapped_file.h"
#include "repair/lookups.h"
#include "repair/registry.h"

namespace {

constexpr std::string_view kAbsentNeedle =
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\TARNVEX "
    "for Windowz]";

struct BenchFile {
  std::string name;
  std::filesystem::path folder;  // a prefix holding system.reg
};

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The fixture padded to about `size` bytes with renamed copies of its other
// keys, the wanted key kept once, in the middle.
std::string Padded(const std::string& fixture, std::size_t size) {
  const std::size_t first_key = fixture.find("\n[") + 1;
  const std::string header = fixture.substr(0, first_key);
  std::string wanted;
  std::string others;
  std::size_t at = first_key;
  while (at < fixture.size()) {
    std::size_t next = fixture.find("\n[", at);
    next = next == std::string::npos ? fixture.size() : next + 1;
    std::string block = fixture.substr(at, next - at);
    if (block.back() != '\n') block += '\n';
    if (block.find("TARNVEX for Windows]") != std::string::npos) {
      wanted = block;
    } else {
      others += block;
    }
    at = next;
  }
  std::string text = header;
  text.reserve(size + fixture.size());
  for (int copy = 0; text.size() < size; ++copy) {
    if (text.size() >= size / 2 && !wanted.empty()) {
      text += wanted;
      wanted.clear();
    }
    // "[Software\\X..." becomes "[Software\\Pad123\\X...": the same shape and
    // the same shared start as the keys that Wine writes.
    text += std::regex_replace(others, std::regex("\\[Software\\\\\\\\"),
                               "[Software\\\\Pad" + std::to_string(copy) + "\\\\");
  }
  text += wanted;
  return text;
}

void Lookup(benchmark::State& state, const BenchFile& file) {
  setenv("WINEPREFIX", file.folder.c_str(), 1);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::size_t before = drelbin::bench::AllocatedBytes();
    drelbin::TRegistry reg(drelbin::registry::Root::LocalMachine);
    if (!reg.OpenKeyReadOnly(drelbin::kUninstallKey)) state.SkipWithError("no key");
    const auto text = reg.ReadString(drelbin::kDisplayIconValue);
    if (text.empty()) state.SkipWithError("no value");
    reg.CloseKey();
    bytes = drelbin::bench::AllocatedBytes() - before;
    benchmark::DoNotOptimize(text);
  }
  const auto size = std::filesystem::file_size(file.folder / "system.reg");
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
  state.counters["alloc_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

// memmem over the file read the way the lookup reads it: opened and mapped
// anew each time.
void FileScan(benchmark::State& state, const BenchFile& file) {
  const std::string path = (file.folder / "system.reg").string();
  std::size_t size = 0;
  for (auto _ : state) {
    const drelbin::wine::MappedFile mapped(path);
    const std::string_view text = mapped.text();
    const void* hit = memmem(text.data(), text.size(), kAbsentNeedle.data(), kAbsentNeedle.size());
    benchmark::DoNotOptimize(hit);
    size = text.size();
  }
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

void Scan(benchmark::State& state, const BenchFile& file) {
  const drelbin::wine::MappedFile mapped((file.folder / "system.reg").string());
  const std::string_view text = mapped.text();
  for (auto _ : state) {
    const void* hit = memmem(text.data(), text.size(), kAbsentNeedle.data(), kAbsentNeedle.size());
    benchmark::DoNotOptimize(hit);
  }
  state.counters["file_MB"] = static_cast<double>(text.size()) / 1e6;
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

// Prints each file's lookup/scan ratios after the usual report.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // The fastest repetition, in CPU time: the least disturbed by other
      // work on the machine.
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.run_name.function_name;
      const auto slash = name.find('/');
      if (slash == std::string::npos) continue;
      double& best = times_[name.substr(slash + 1)][name.substr(0, slash)];
      const double time = run.GetAdjustedCPUTime();
      if (best == 0 || time < best) best = time;
    }
  }

  // False when a lookup takes more than 3 times the memmem scan of its file
  // read the same way.
  bool PrintRatios() const {
    bool ok = true;
    std::printf("\nCPU time, fastest of the repetitions (ms):\n");
    std::printf("%-20s %10s %12s %12s %10s %10s\n", "file", "lookup", "file scan", "memory scan",
                "/file", "/memory");
    for (const auto& [file, times] : times_) {
      const double lookup = Get(times, "Lookup");
      const double file_scan = Get(times, "FileScan");
      const double memory_scan = Get(times, "MemmemScan");
      if (lookup <= 0 || file_scan <= 0 || memory_scan <= 0) continue;
      const double ratio = lookup / file_scan;
      std::printf("%-20s %10.3f %12.3f %12.3f %10.2f %10.2f%s\n", file.c_str(), lookup / 1e3,
                  file_scan / 1e3, memory_scan / 1e3, ratio, lookup / memory_scan,
                  ratio > 3 ? "  above 3" : "");
      ok = ok && ratio <= 3;
    }
    return ok;
  }

 private:
  static double Get(const std::map<std::string, double>& times, const std::string& name) {
    const auto found = times.find(name);
    return found == times.end() ? 0 : found->second;
  }

  std::map<std::string, std::map<std::string, double>> times_;  // file, benchmark
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  char folder_name[] = "/tmp/drelbin-bench-XXXXXX";
  if (mkdtemp(folder_name) == nullptr) return 1;
  const std::filesystem::path root(folder_name);
  const std::string fixture = ReadAll(DRELBIN_WINE_FIXTURES "/system.reg");

  std::vector<BenchFile> files;
  auto add = [&](const std::string& name, const std::string& text) {
    const auto folder = root / name;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "system.reg", std::ios::binary) << text;
    files.push_back({name, folder});
  };
  add("wine_fixture_3KB", fixture);
  add("padded_1.7MB", Padded(fixture, 1'700'000));
  add("padded_50MB", Padded(fixture, 50'000'000));
  if (const char* own = std::getenv("DRELBIN_BENCH_SYSTEM_REG")) add("own_file", ReadAll(own));

  for (const BenchFile& file : files) {
    benchmark::RegisterBenchmark(("Lookup/" + file.name).c_str(), Lookup, file)
        ->Repetitions(5)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("FileScan/" + file.name).c_str(), FileScan, file)
        ->Repetitions(5)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("MemmemScan/" + file.name).c_str(), Scan, file)
        ->Repetitions(5)
        ->Unit(benchmark::kMicrosecond);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const bool ok = reporter.PrintRatios();
  benchmark::Shutdown();
  std::filesystem::remove_all(root);
  return ok ? 0 : 1;
}
