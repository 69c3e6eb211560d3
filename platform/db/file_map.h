// A file opened for reading alone and never locked, so another program may hold it open and go
// on writing it; nothing is ever written to it. It is read by copies (ReadAt), which fail
// cleanly when another program has cut the file short. data() maps the whole file read-only, on
// first use only, for callers that look at records in place: a mapping is read without checks,
// and on Windows it would stop the program that writes the file from making it shorter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace platform::db {

class FileMap {
 public:
  // Opens `path`. Throws RunTimeError 53 when the file is not there, kDatabaseError when it
  // cannot be opened (a folder, no permission).
  explicit FileMap(const std::filesystem::path& path);
  ~FileMap();
  FileMap(const FileMap&) = delete;
  FileMap& operator=(const FileMap&) = delete;

  // The file's size when it was opened.
  std::uint64_t size() const { return size_; }

  // The file's size() bytes, mapped the first time they are asked for; null for an empty file.
  // Throws kDatabaseError when the file cannot be mapped. Safe to call from several threads.
  const std::uint8_t* data() const;
  std::string_view bytes(std::uint64_t offset, std::uint64_t length) const {
    return {reinterpret_cast<const char*>(data() + offset), static_cast<std::size_t>(length)};
  }

  // Copies `length` bytes from `offset` into `out`. False when the file no longer holds them
  // (another program has cut it short) or cannot be read. Safe to call from several threads.
  bool ReadAt(std::uint64_t offset, void* out, std::size_t length) const;

 private:
  // Sets data_ and mapping_, or throws; called once, for a file that is not empty.
  void Map() const;

  std::filesystem::path path_;
  std::uint64_t size_ = 0;
  std::intptr_t file_ = -1;  // the descriptor, or on Windows the handle
  mutable std::mutex mapping_mutex_;  // guards data_ and mapping_
  mutable const std::uint8_t* data_ = nullptr;
  mutable void* mapping_ = nullptr;
};

// The file called `name` in `folder`, the letter case of both ignored (TRAN.DBF for tran.dbf);
// empty when there is none. Of several matches the first in byte order is taken.
std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder,
                                           const std::string& name);

}  // namespace platform::db
