#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/db/byte_order.h"
#include "platform/db/dbf_table.h"
#include "platform/db/memo_file.h"
#include "platform/system/path_text.h"

namespace platform::db {

void DbfTable::ReadRun(std::uint32_t first, std::uint32_t end,
                       std::vector<std::uint8_t>& out) const {
  if (end > record_count_ || first >= end) return;
  const std::size_t start = out.size();
  const std::size_t length = static_cast<std::size_t>(end - first) * record_length_;
  out.resize(start + length);
  const std::uint64_t offset = header_length_ + static_cast<std::uint64_t>(first) * record_length_;
  if (!file_.ReadAt(offset, out.data() + start, length)) throw CutShort(first);
  RememberRun(first, end, out.data() + start);
}

void DbfTable::RememberRun(std::uint32_t first, std::uint32_t end,
                           const std::uint8_t* bytes) const {
  const std::uint64_t digest =
      Digest(bytes, static_cast<std::size_t>(end - first) * record_length_);
  const std::lock_guard<std::mutex> lock(runs_mutex_);
  runs_read_.push_back({first, end, digest});
}

RunTimeError DbfTable::CutShort(std::uint32_t record) const {
  return RunTimeError(error::kDatabaseError,
                      "'" + Utf8Of(path_) +
                          "' was cut short by another program while it was read (at record " +
                          std::to_string(record + 1) + "). Load it again.");
}

RunTimeError DbfTable::Rewritten() const {
  return RunTimeError(error::kDatabaseError,
                      "'" + Utf8Of(path_) +
                          "' was cut short or rewritten by another program while it was read. "
                          "Load it again.");
}

RunTimeError DbfTable::BeingWritten() const {
  return RunTimeError(error::kDatabaseError,
                      "'" + Utf8Of(path_) +
                          "' is being written by another program and cannot be read whole at "
                          "this moment. Load it again.");
}

DbfTable::Look DbfTable::LookNow() const {
  Look look;
  look.table = file_.StampNow();
  // Taken at once: a stamp is settled when the clock had moved past its last write when it was
  // taken, not later.
  look.settled = TableFileReader::Settled(look.table);
  if (memo_) {
    look.memo = memo_->StampNow();
    look.settled = look.settled && TableFileReader::Settled(look.memo);
  }
  return look;
}

bool DbfTable::NotShorter(const Look& look) const {
  // Programs that append only ever make the files longer; packing one, or cutting it to write it
  // again, makes it shorter for a while, which a look may catch though the comparisons miss it.
  if (look.table.size < largest_size_ || look.memo.size < largest_memo_size_) return false;
  largest_size_ = look.table.size;
  largest_memo_size_ = look.memo.size;
  return true;
}

bool DbfTable::SameHeader(std::uint32_t least, std::uint32_t& count) const {
  std::vector<std::uint8_t> now(header_.size());
  if (!file_.ReadAt(0, now.data(), now.size())) return false;
  // Bytes 1 to 3 hold the date of the last change, 4 to 7 the count, which may only grow.
  count = Le32(now.data() + 4);
  return now[0] == header_[0] && count >= least &&
         std::equal(now.begin() + 8, now.end(), header_.begin() + 8);
}

bool DbfTable::SameRuns() const {
  std::vector<RunRead> runs;
  {
    const std::lock_guard<std::mutex> lock(runs_mutex_);
    runs = runs_read_;
  }
  std::vector<std::uint8_t> bytes;
  for (const RunRead& run : runs) {
    bytes.resize(static_cast<std::size_t>(run.end - run.first) * record_length_);
    const std::uint64_t offset =
        header_length_ + static_cast<std::uint64_t>(run.first) * record_length_;
    if (!file_.ReadAt(offset, bytes.data(), bytes.size()) ||
        Digest(bytes.data(), bytes.size()) != run.digest) {
      return false;
    }
  }
  return true;
}

bool DbfTable::SameAsRead(const std::function<bool()>& same_indexes) const {
  const std::uint64_t counted_end =
      header_length_ + static_cast<std::uint64_t>(record_count_) * record_length_;
  std::uint32_t count = 0;
  if (!file_.StillAtPath() || file_.StampNow().size < counted_end ||
      !SameHeader(std::max(record_count_, largest_count_), count)) {
    return false;
  }
  largest_count_ = count;
  return SameRuns() && (!memo_ || memo_->SameAsRead()) && same_indexes();
}

void DbfTable::CheckUnchanged(const std::function<bool()>& same_indexes) const {
  const std::lock_guard<std::mutex> lock(check_mutex_);
  const Look now = LookNow();
  if (!NotShorter(now)) throw Rewritten();
  if (checked_.settled && now == checked_) return;
  for (int passes = 1;; ++passes) {
    const Look before = LookNow();
    if (!NotShorter(before) || !SameAsRead(same_indexes)) throw Rewritten();
    const Look after = LookNow();
    if (!NotShorter(after)) throw Rewritten();
    // Nothing was written while it was compared, and a write would have shown: the table is as
    // it was read. Written meanwhile, it is compared once more a moment later: a program that
    // only appends leaves what was read as it was, and never makes the files shorter.
    if ((after == before && before.settled) || passes == 2) {
      checked_ = after;
      checked_.settled = checked_.settled && after == before;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

RunTimeError DbfTable::DamagedRecord(std::uint32_t record) const {
  // A table another program has written since it was opened is not damaged but rewritten; one
  // written less than a second ago may be in the middle of being written, and is looked at again
  // until it has been left alone that long.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (int wait_ms = 1;; wait_ms = std::min(wait_ms * 2, 64)) {
    const FileStamp stamp = file_.StampNow();
    std::uint32_t count = 0;
    if (stamp != opened_ || !SameHeader(record_count_, count)) return Rewritten();
    if (TableFileReader::LeftAlone(stamp)) break;
    if (std::chrono::steady_clock::now() > give_up) return BeingWritten();
    std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
  }
  return RunTimeError(error::kDatabaseError,
                      "'" + Utf8Of(path_) + "' is damaged (record " + std::to_string(record + 1) +
                          " of " + std::to_string(record_count_) +
                          " holds an end-of-file mark). Repair it with the program that writes "
                          "it, or use a backup copy.");
}

}  // namespace platform::db
