#include "tests/fakes/fake_files.h"

#include <algorithm>

namespace drelbin::files {

bool FileExists(const AnsiString& path) { return testing::FakeFiles::Instance().Exists(path); }
FileHandle OpenExclusive(const AnsiString& path) {
  return testing::FakeFiles::Instance().Open(path);
}
bool SeekFromStart(FileHandle file, std::int64_t offset) {
  return testing::FakeFiles::Instance().Seek(file, offset);
}
std::int64_t Write(FileHandle file, const std::uint8_t* data, std::size_t size) {
  return testing::FakeFiles::Instance().Write(file, data, size);
}
bool Flush(FileHandle file) { return testing::FakeFiles::Instance().Flush(file); }
void Close(FileHandle file) { testing::FakeFiles::Instance().Close(file); }

}  // namespace drelbin::files

namespace drelbin::testing {

FakeFiles& FakeFiles::Instance() {
  static FakeFiles files;
  return files;
}

void FakeFiles::Clear() { *this = FakeFiles(); }

void FakeFiles::AddFile(const std::string& path, Bytes bytes) { files_[path] = std::move(bytes); }

std::optional<FakeFiles::Bytes> FakeFiles::Contents(const std::string& path) const {
  const auto file = files_.find(path);
  if (file == files_.end()) return std::nullopt;
  return file->second;
}

bool FakeFiles::Exists(const std::string& path) const { return files_.count(path) != 0; }

files::FileHandle FakeFiles::Open(const std::string& path) {
  if (refuse_open || !Exists(path)) return files::kInvalidFile;
  opened.push_back(path);
  ++open_handles;
  handles_[next_handle_] = OpenFile{path};
  return next_handle_++;
}

bool FakeFiles::Seek(files::FileHandle file, std::int64_t offset) {
  if (fail_seek || offset < 0) return false;
  handles_.at(file).position = static_cast<std::size_t>(offset);
  return true;
}

std::int64_t FakeFiles::Write(files::FileHandle file, const std::uint8_t* data, std::size_t size) {
  if (bytes_until_full == 0) return -1;
  const std::size_t count = std::min({size, max_bytes_per_write, bytes_until_full});
  if (bytes_until_full != SIZE_MAX) bytes_until_full -= count;
  OpenFile& open = handles_.at(file);
  Bytes& bytes = files_.at(open.path);
  if (bytes.size() < open.position + count) bytes.resize(open.position + count, 0);
  std::copy(data, data + count, bytes.begin() + static_cast<std::ptrdiff_t>(open.position));
  open.position += count;
  return static_cast<std::int64_t>(count);
}

bool FakeFiles::Flush(files::FileHandle) {
  ++flushes;
  return !fail_flush;
}

void FakeFiles::Close(files::FileHandle file) {
  handles_.erase(file);
  --open_handles;
}

}  // namespace drelbin::testing
