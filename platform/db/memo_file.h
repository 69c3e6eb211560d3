// The memo file of a table: .fpt (FoxPro) or .dbt (dBase III and IV), where the values of memo
// fields are kept, each at a block the record names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/db/table_file.h"

namespace platform::db {

class MemoFile {
 public:
  // Opens the memo file at `path`, an .fpt when `fpt`, else a .dbt of the table `version`. Throws
  // what TableFileReader throws. A file too short for its header opens, and every memo of it is
  // unknown.
  MemoFile(const std::filesystem::path& path, bool fpt, std::uint8_t version);

  // Puts the bytes of the memo at `block` into `out`; false when they lie outside the file as it
  // is now, so a memo file that another program cuts short while it is read gives unknown values
  // (its rewrite is found by SameAsRead), as does a dBase III memo without its end mark. Throws
  // kDatabaseError, naming the file and the fault, when the file is as it was opened, left alone
  // for a second, and the memo lies past its end, runs past it, or lies in its header: a damaged
  // memo file, not a record without a value. What it gave is remembered, for SameAsRead. Safe to
  // call from several threads.
  bool Read(std::uint32_t block, std::string& out) const;

  // The file's stamp before its header was read, and whether it was settled then (see
  // TableFileReader::Settled); the stamp now.
  const FileStamp& opened_stamp() const { return file_.opened_stamp(); }
  bool opened_settled() const { return opened_settled_; }
  FileStamp StampNow() const { return file_.StampNow(); }
  // Whether the memo file is still the one it was when it opened, grown at most: the same file at
  // its path, its header the same but for the next free block, and every memo read so far read
  // the same now. Throws kDatabaseError when the system cannot tell the file's stamp.
  bool SameAsRead() const;

 private:
  // As Read, without the checks; `fault` is set to what is wrong with a memo that lies outside
  // the file, and left alone for any other that cannot be read.
  bool ReadBlock(std::uint32_t block, std::string& out, const char** fault = nullptr) const;
  // Throws the damage `fault` of the memo at `block` when the file is the one opened and has been
  // left alone, waiting up to two seconds for that; returns when another program writes it.
  void ThrowIfDamaged(std::uint32_t block, const char* fault) const;
  bool ReadInto(std::uint64_t offset, std::uint64_t length, std::string& out) const;

  std::filesystem::path path_;
  TableFileReader file_;
  bool opened_settled_;
  bool fpt_;
  std::uint32_t block_size_ = 0;
  std::uint32_t next_free_block_ = 0;  // as the header gives it
  std::vector<std::uint8_t> header_;   // as read when the file opened; empty when too short

  // The memos read, each with a digest of what it gave.
  struct MemoRead {
    std::uint32_t block;
    std::uint64_t digest;
  };
  mutable std::mutex reads_mutex_;
  mutable std::vector<MemoRead> reads_;
};

}  // namespace platform::db
