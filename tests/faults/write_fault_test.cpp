// The table's write and flush on a real file, with the kernel's answers
// bent: interrupted calls, short writes, a full disk midway, a write that
// makes no progress, a flush that fails.
#include <tuple>

#include "repair/tax_rate_table.h"
#include "tests/faults/fault_test.h"
#include "tests/faults/syscall_faults.h"

namespace drelbin::testing {
namespace {

struct WriteFaultCase {
  const char* name;
  SyscallFaults faults;
  WriteResult expected;
  std::size_t table_bytes_written;  // how much of the table reaches the file
};
void PrintTo(const WriteFaultCase& c, std::ostream* os) { *os << c.name; }

SyscallFaults Faults(void (*set)(SyscallFaults&)) {
  SyscallFaults faults;
  set(faults);
  return faults;
}

const WriteFaultCase kCases[] = {
    {"InterruptedWrites", Faults([](auto& f) { f.write_interruptions = 3; }), wrDone, 96},
    {"OneByteAtATime", Faults([](auto& f) { f.write_chunk = 1; }), wrDone, 96},
    {"ShortWrites", Faults([](auto& f) { f.write_chunk = 40; }), wrDone, 96},
    {"FailsAtOnce", Faults([](auto& f) {
       f.write_budget = 0;
       f.write_error_when_spent = EIO;
     }),
     wrWriteFailed, 0},
    {"DiskFullMidway", Faults([](auto& f) { f.write_budget = 40; }), wrWriteFailed, 40},
    {"DiskFullAfterShortWrites", Faults([](auto& f) {
       f.write_chunk = 7;
       f.write_budget = 50;
     }),
     wrWriteFailed, 50},
    {"NoProgress", Faults([](auto& f) {
       f.write_budget = 16;
       f.write_error_when_spent = 0;
     }),
     wrWriteFailed, 16},
    {"FlushFails", Faults([](auto& f) { f.fsync_error = EIO; }), wrWriteFailed, 96},
    {"FlushInterrupted", Faults([](auto& f) { f.fsync_interruptions = 2; }), wrDone, 96},
};

class WriteFaultTest : public FaultTest,
                       public ::testing::WithParamInterface<std::tuple<WriteFaultCase, Through>> {
 protected:
  ~WriteFaultTest() override { DisarmSyscallFaults(); }
};

TEST_P(WriteFaultTest, GivesItsResultAndTouchesOnlyTheTable) {
  const auto& [fault, through] = GetParam();
  const Bytes before = PatternBytes(200);
  WriteFileBytes(control_file_, before);
  WriteFileBytes(folder_ / "OTHER.DAT", PatternBytes(300));
  before_ = TakeCensus(folder_.path());

  ArmSyscallFaults(fault.faults);
  RepairAndExpect(through, fault.expected);
  const SyscallCounts counts = CountedSyscalls();
  DisarmSyscallFaults();

  Bytes expected = before;
  const TaxRateTableBytes table = SerializeTaxRateTable(kTaxRateHistory);
  std::copy_n(table.begin(), fault.table_bytes_written, expected.begin() + TaxRateTableOffset);
  EXPECT_EQ(ReadFileBytes(control_file_), expected);
  ExpectOnlyTableChanged();
  EXPECT_LE(counts.writes, 96 + fault.faults.write_interruptions) << "the writer kept on writing";
  EXPECT_EQ(counts.fsyncs > 0, fault.table_bytes_written == 96) << "flushed only a whole table";
}

INSTANTIATE_TEST_SUITE_P(Faults, WriteFaultTest,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(Through::Writer, Through::Command)),
                         CaseName<WriteFaultCase>);

}  // namespace
}  // namespace drelbin::testing
