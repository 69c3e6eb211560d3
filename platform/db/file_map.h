// A whole file mapped read-only into memory, and readable by copies too. The file is opened for
// reading alone, never locked, so another program may hold it open, and nothing is ever written
// through the mapping. Pages of the mapping are read in only when touched; a pass over a whole
// large file is cheaper through ReadAt into one small buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform::db {

class FileMap {
 public:
  // Maps `path`. Throws RunTimeError 53 when the file is not there, kDatabaseError when it
  // cannot be opened or mapped (a folder, no permission).
  explicit FileMap(const std::filesystem::path& path);
  ~FileMap();
  FileMap(const FileMap&) = delete;
  FileMap& operator=(const FileMap&) = delete;

  const std::uint8_t* data() const { return data_; }
  std::uint64_t size() const { return size_; }
  std::string_view bytes(std::uint64_t offset, std::uint64_t length) const {
    return {reinterpret_cast<const char*>(data_ + offset), static_cast<std::size_t>(length)};
  }

  // Copies `length` bytes from `offset` into `out`. False when the file no longer holds them
  // (another program has cut it short) or cannot be read.
  bool ReadAt(std::uint64_t offset, void* out, std::size_t length) const;

 private:
  const std::uint8_t* data_ = nullptr;
  std::uint64_t size_ = 0;
  void* mapping_ = nullptr;
  int descriptor_ = -1;
};

// The file called `name` in `folder`, the letter case of both ignored (TRAN.DBF for tran.dbf);
// empty when there is none. Of several matches the first in byte order is taken.
std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder,
                                           const std::string& name);

}  // namespace platform::db
