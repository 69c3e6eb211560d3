#include "platform/db/memo_file.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/db/byte_order.h"
#include "platform/run_time_error.h"
#include "platform/system/path_text.h"

namespace platform::db {

namespace {

// The digest of a memo read, or 0 for one that could not be read (a memo read empty has the
// digest of no bytes, never 0).
std::uint64_t DigestOf(bool read, const std::string& bytes) {
  return read ? Digest(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) | 1 : 0;
}

}  // namespace

MemoFile::MemoFile(const std::filesystem::path& path, bool fpt, std::uint8_t version)
    : path_(path),
      file_(path),
      opened_settled_(TableFileReader::Settled(file_.opened_stamp())),
      fpt_(fpt) {
  std::uint8_t header[32] = {};
  // Without a whole first block no memo can be read: every memo is unknown.
  if (file_.size() < 512 || !file_.ReadAt(0, header, sizeof header)) return;
  header_.assign(header, header + sizeof header);
  next_free_block_ = fpt_ ? Be32(header) : Le32(header);
  if (fpt_) {
    block_size_ = static_cast<std::uint32_t>((header[6] << 8) | header[7]);
    if (block_size_ == 0) block_size_ = 64;
  } else if (version == 0x83) {
    block_size_ = 512;
  } else {
    block_size_ = Le16(header + 20);
    if (block_size_ == 0) {
      const std::uint32_t alternative = Le32(header + 4);
      block_size_ = alternative >= 32 && alternative <= 65536 ? alternative : 512;
    }
  }
}

bool MemoFile::Read(std::uint32_t block, std::string& out) const {
  const char* fault = nullptr;
  const bool read = ReadBlock(block, out, &fault);
  if (!read && fault != nullptr) ThrowIfDamaged(block, fault);
  const std::uint64_t digest = DigestOf(read, out);
  const std::lock_guard<std::mutex> lock(reads_mutex_);
  reads_.push_back({block, digest});
  return read;
}

bool MemoFile::SameAsRead() const {
  const std::uint64_t size = file_.StampNow().size;
  if (!file_.StillAtPath() || size < file_.size()) return false;
  if (header_.empty()) {
    // Too short for a header when it opened, as a file cut short to be written again is.
    if (size >= 512) return false;
  } else {
    std::uint8_t header[32] = {};
    // Bytes 0 to 3 name the next free block, which moves as memos are added.
    if (!file_.ReadAt(0, header, sizeof header) ||
        !std::equal(header_.begin() + 4, header_.end(), header + 4)) {
      return false;
    }
  }
  std::vector<MemoRead> reads;
  {
    const std::lock_guard<std::mutex> lock(reads_mutex_);
    reads = reads_;
  }
  std::string bytes;
  for (const MemoRead& read : reads) {
    const bool now = ReadBlock(read.block, bytes);
    if (DigestOf(now, bytes) != read.digest) return false;
  }
  return true;
}

void MemoFile::ThrowIfDamaged(std::uint32_t block, const char* fault) const {
  // As a damaged record (DbfTable::DamagedRecord): a memo file written since it was opened is not
  // damaged but rewritten, and one written less than a second ago may be being written.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (int wait_ms = 1;; wait_ms = std::min(wait_ms * 2, 64)) {
    const FileStamp stamp = file_.StampNow();
    if (stamp != file_.opened_stamp() || std::chrono::steady_clock::now() > give_up) return;
    if (TableFileReader::LeftAlone(stamp)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
  }
  throw RunTimeError(error::kDatabaseError,
                     "'" + Utf8Of(path_) + "' is damaged (the memo at block " +
                         std::to_string(block) + " " + fault +
                         "). Repair it with the program that writes it, or use a backup copy.");
}

bool MemoFile::ReadBlock(std::uint32_t block, std::string& out, const char** fault) const {
  out.clear();
  const char* ignored = nullptr;
  const char*& why = fault != nullptr ? *fault : ignored;
  if (block_size_ == 0) {
    why = "is in a memo file shorter than its header";
    return false;
  }
  const std::uint64_t start = static_cast<std::uint64_t>(block) * block_size_;
  const std::uint64_t size = file_.size();
  if (start < 512) why = "lies in the memo file's header";
  if (start >= size) why = "lies past the end of the file";
  if (start < 512 || start >= size) return false;
  std::uint8_t head[8] = {};
  const bool has_head = size - start >= 8 && file_.ReadAt(start, head, sizeof head);
  constexpr const char* kRunsPast = "runs past the end of the file";
  if (fpt_) {
    if (size - start < 8) why = kRunsPast;
    if (!has_head) return false;
    const std::uint64_t length = Be32(head + 4);
    if (length > size - start - 8) why = kRunsPast;
    return length <= size - start - 8 && ReadInto(start + 8, length, out);
  }
  if (has_head && head[0] == 0xFF && head[1] == 0xFF && head[2] == 0x08 && head[3] == 0x00) {
    const std::uint64_t length = Le32(head + 4);
    if (length > size - start) why = kRunsPast;
    if (length < 8) why = "has a length shorter than its own head";
    return length >= 8 && length <= size - start && ReadInto(start + 8, length - 8, out);
  }
  // dBase III: the text runs up to the first end-of-file mark, read a block at a time. Memos are
  // only ever appended, before the next free block the header names, so the mark is looked for no
  // further than that block (or the file's end, when the header names none).
  const std::uint64_t used = static_cast<std::uint64_t>(next_free_block_) * block_size_;
  const std::uint64_t end = used > 512 ? std::min(size, used) : size;
  for (std::uint64_t at = start; at < end;) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(512, end - at));
    const std::size_t kept = out.size();
    out.resize(kept + chunk);
    if (!file_.ReadAt(at, out.data() + kept, chunk)) return false;
    const std::size_t mark = out.find('\x1A', kept);
    if (mark != std::string::npos) {
      out.resize(mark);
      return true;
    }
    at += chunk;
  }
  return false;
}

bool MemoFile::ReadInto(std::uint64_t offset, std::uint64_t length, std::string& out) const {
  if (length > out.max_size()) return false;
  out.resize(static_cast<std::size_t>(length));
  return file_.ReadAt(offset, out.data(), out.size());
}

}  // namespace platform::db
