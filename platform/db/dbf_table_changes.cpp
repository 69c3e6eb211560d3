#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/db/byte_order.h"
#include "platform/db/dbf_table.h"
#include "platform/path_text.h"

namespace platform::db {

namespace {

// A digest of bytes read, to tell whether the file still holds them: eight bytes at a time, as
// every record a load reads passes through here.
std::uint64_t Digest(const std::uint8_t* bytes, std::size_t length) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15;
  std::uint64_t digest = length;
  std::size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes + i, 8);
    digest = (digest ^ word) * kMultiplier;
    digest ^= digest >> 29;
  }
  for (; i < length; ++i) digest = (digest ^ bytes[i]) * kMultiplier;
  return digest;
}

}  // namespace

void DbfTable::ReadRun(std::uint32_t first, std::uint32_t end,
                       std::vector<std::uint8_t>& out) const {
  if (end > record_count_ || first >= end) return;
  const std::size_t start = out.size();
  const std::size_t length = static_cast<std::size_t>(end - first) * record_length_;
  out.resize(start + length);
  const std::uint64_t offset = header_length_ + static_cast<std::uint64_t>(first) * record_length_;
  if (!file_.ReadAt(offset, out.data() + start, length)) throw CutShort(first);
  const std::uint64_t digest = Digest(out.data() + start, length);
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

bool DbfTable::SameHeader() const {
  std::vector<std::uint8_t> now(header_.size());
  if (!file_.ReadAt(0, now.data(), now.size())) return false;
  // Bytes 1 to 3 hold the date of the last change, 4 to 7 the count, which may only grow.
  return now[0] == header_[0] && Le32(now.data() + 4) >= record_count_ &&
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

void DbfTable::CheckUnchanged(const std::function<bool()>& same_indexes) const {
  const std::lock_guard<std::mutex> lock(check_mutex_);
  if (TableFileReader::Settled(checked_) && file_.StampNow() == checked_) return;
  const std::uint64_t counted_end =
      header_length_ + static_cast<std::uint64_t>(record_count_) * record_length_;
  for (int passes = 1;; ++passes) {
    const FileStamp stamp = file_.StampNow();
    if (!file_.StillAtPath() || stamp.size < counted_end || !SameHeader() || !SameRuns() ||
        !same_indexes()) {
      throw Rewritten();
    }
    // Nothing was written while it was compared, and a write would have shown: the table is as
    // it was read. Written meanwhile, it is compared once more a moment later: a program that
    // only appends leaves what was read as it was.
    const FileStamp after = file_.StampNow();
    if ((after == stamp && TableFileReader::Settled(stamp)) || passes == 2) {
      checked_ = after;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

RunTimeError DbfTable::DamagedRecord(std::uint32_t record) const {
  // A table another program has written since it was opened is not damaged but rewritten.
  if (file_.StampNow() != file_.opened_stamp()) return Rewritten();
  return RunTimeError(error::kDatabaseError,
                      "'" + Utf8Of(path_) + "' is damaged (record " + std::to_string(record + 1) +
                          " of " + std::to_string(record_count_) +
                          " holds an end-of-file mark). Repair it with the program that writes "
                          "it, or use a backup copy.");
}

}  // namespace platform::db
