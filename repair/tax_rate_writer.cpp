#include "repair/tax_rate_writer.h"

#include "repair/file_primitives.h"
#include "repair/tax_rate_table.h"

namespace drelbin {
namespace {

// Closes the handle on every way out of the writer.
class FileCloser {
 public:
  explicit FileCloser(files::FileHandle file) : file_(file) {}
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;
  ~FileCloser() { files::Close(file_); }

 private:
  files::FileHandle file_;
};

// Writes all of `bytes`, going on after short writes.  A write that makes no
// progress counts as a failure, so a full disk cannot loop forever.
bool WriteAll(files::FileHandle file, const TaxRateTableBytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t remaining = bytes.size() - done;
    const std::int64_t written = files::Write(file, bytes.data() + done, remaining);
    if (written <= 0 || static_cast<std::uint64_t>(written) > remaining) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

WriteResult WriteTaxRateTable(const AnsiString& path) {
  static const TaxRateTableBytes kTable = SerializeTaxRateTable(kTaxRateHistory);

  if (!files::FileExists(path)) return wrNoFile;
  const files::FileHandle file = files::OpenExclusive(path);
  if (file == files::kInvalidFile) return wrOpenFailed;
  const FileCloser closer(file);
  if (!files::SeekFromStart(file, TaxRateTableOffset)) return wrSeekFailed;
  if (!WriteAll(file, kTable) || !files::Flush(file)) return wrWriteFailed;
  return wrDone;
}

}  // namespace drelbin
