// A file opened for reading alone and never locked, so another program may hold it open and go
// on writing it; nothing is ever written to it. It is only ever read by copies (ReadAt), which
// fail cleanly when another program has cut the file short: nothing of it is mapped into memory,
// where a page that is no longer in the file would end the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/run_time_error.h"

namespace platform::db {

// What the system says of a file that every write to it changes: which file it is, its size, and
// the times of its last write and last change. Equal stamps taken a while apart mean nothing was
// written between them, provided the system's clock had moved past the file's last write when the
// first was taken (see TableFileReader::Settled): writes within one tick of that clock may leave
// the times as they were.
struct FileStamp {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  std::uint64_t size = 0;
  std::int64_t written_ns = 0;  // since 1970, as the system's clock counts
  std::int64_t changed_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

class TableFileReader {
 public:
  // Opens `path`. Throws RunTimeError 53 when the file is not there, 70 when this user may not
  // read it, kDatabaseError when it is a folder or a device or cannot be opened.
  explicit TableFileReader(const std::filesystem::path& path);
  ~TableFileReader();
  TableFileReader(const TableFileReader&) = delete;
  TableFileReader& operator=(const TableFileReader&) = delete;

  // The file's size when it was opened.
  std::uint64_t size() const { return size_; }
  // The file's size now: another program may have made it longer or shorter since. Throws
  // kDatabaseError when the system cannot tell.
  std::uint64_t SizeNow() const;

  // The stamp of the file when it was opened, and now. StampNow throws kDatabaseError when the
  // system cannot tell.
  const FileStamp& opened_stamp() const { return opened_stamp_; }
  FileStamp StampNow() const;
  // Whether the system's clock has moved well past the last write and change `stamp` records, so
  // that a later write is bound to change them.
  static bool Settled(const FileStamp& stamp);
  // Whether the file had been left alone for a second when `stamp` was taken: no program had
  // written it since. A file that looks damaged is called so only then; before, it may be a file
  // another program is writing at that moment (cut to nothing, say, to be written again).
  static bool LeftAlone(const FileStamp& stamp);
  // Whether the path the file was opened by still names this file (another program may have put
  // a new file in its place).
  bool StillAtPath() const;

  // Copies `length` bytes from `offset` into `out`. False when the file no longer holds them
  // (another program has cut it short) or cannot be read. Safe to call from several threads.
  // Windows refuses a read of bytes another program holds locked: such a read is tried again
  // for up to two seconds, as a table being written is, then throws kDatabaseError saying the
  // file is locked and to load again; a locked table is never taken for a damaged one.
  bool ReadAt(std::uint64_t offset, void* out, std::size_t length) const;

 private:
  std::filesystem::path path_;
  std::uint64_t size_ = 0;
  FileStamp opened_stamp_;
  std::intptr_t file_ = -1;  // the descriptor, or on Windows the handle
};

#ifdef _WIN32
// For tests: `refuse` is asked before each read of the bytes from `offset`, `length` long, and
// an answer other than 0 is taken as Windows' refusal of the read with that error code, as when
// another program holds a lock on them (which Wine does not refuse a read for). nullptr, the
// start, refuses nothing.
void RefuseReadsForTests(unsigned long (*refuse)(std::uint64_t offset, std::size_t length));
#endif

// A digest of `length` bytes, to tell whether a file still holds the bytes read from it: eight
// bytes at a time, as every record a load reads passes through here.
std::uint64_t Digest(const std::uint8_t* bytes, std::size_t length);

// The file called `name` in `folder`, the letter case of both ignored (TRAN.DBF for tran.dbf);
// empty when there is none. A file of exactly that name is opened without listing the folder, so
// a folder that may be searched but not listed still gives it; only another letter case is looked
// for in the listing, where of several matches the first in byte order is taken. Throws 70 when
// this user may not list the folder.
std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder,
                                           const std::string& name);

// Calls `found` with the path of each entry of `folder`, long paths included; false when this user
// may not list the folder. A folder that is not there lists nothing.
bool ListFolder(const std::filesystem::path& folder,
                const std::function<void(const std::filesystem::path&)>& found);

// Whether there is an entry at `path`, a link that points nowhere included.
bool EntryExists(const std::filesystem::path& path);

// Every file opened as a TableFileReader in this process, first opened first: the tables and memo
// files loads have read, for a writer that must never write over one of them.
std::vector<std::filesystem::path> FilesOpened();
// Adds `path` to FilesOpened(); TableFileReader does so for each file it opens.
void RememberFileOpened(const std::filesystem::path& path);

// Error 70 for a file or folder this user may not read, naming it and saying what to ask for.
RunTimeError PermissionDenied(const std::filesystem::path& path);

}  // namespace platform::db
