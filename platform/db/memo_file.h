// The memo file of a table: .fpt (FoxPro) or .dbt (dBase III and IV), where the values of memo
// fields are kept, each at a block the record names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/db/table_file.h"

namespace platform::db {

class MemoFile {
 public:
  // Opens the memo file at `path`, an .fpt when `fpt`, else a .dbt of the table `version`. Throws
  // what TableFileReader throws. A file too short for its header opens, and every memo of it is
  // unknown.
  MemoFile(const std::filesystem::path& path, bool fpt, std::uint8_t version);

  // Puts the bytes of the memo at `block` into `out`; false when they lie outside the file as it
  // is now, so a memo file that another program cuts short while it is read gives unknown values.
  bool Read(std::uint32_t block, std::string& out) const;

 private:
  bool ReadInto(std::uint64_t offset, std::uint64_t length, std::string& out) const;

  TableFileReader file_;
  bool fpt_;
  std::uint32_t block_size_ = 0;
  std::uint32_t next_free_block_ = 0;  // as the header gives it
};

}  // namespace platform::db
