#include "export/zip_file.h"

#include <zlib.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"

namespace exporter {
namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kZip64EndOfDirectory = 0x06064b50;
constexpr std::uint32_t kZip64Locator = 0x07064b50;
constexpr std::uint16_t kZip64Extra = 0x0001;
constexpr std::uint16_t kVersion = 20;       // deflate
constexpr std::uint16_t kVersionZip64 = 45;  // deflate with the zip64 extensions
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kDate = (0 << 9) | (1 << 5) | 1;  // 1980/01/01, the earliest, at 00:00
constexpr std::uint32_t kFull = 0xFFFFFFFF;               // a 4-byte field whose value is elsewhere
constexpr std::size_t kHandOver = 1 << 20;                // of an entry's bytes, deflated at once
constexpr std::size_t kWaiting = 2;                       // blocks handed over and not yet begun

// Little-endian fields, as zip stores them.
void Put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}
void Put32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}
void Put64(std::string& out, std::uint64_t value) {
  for (int shift = 0; shift < 64; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}
std::uint32_t Field32(std::uint64_t value) {
  return value >= kFull ? kFull : static_cast<std::uint32_t>(value);
}

}  // namespace

// Deflates the open entry's blocks on threads of its own and writes them to the archive in the
// order handed over. Each block is deflated as a piece of the entry's one stream, as pigz does:
// primed with the last 32 KiB of the block before (what deflate may refer back to) and ended on a
// byte boundary with an empty stored block (a sync flush), except the entry's last block, which
// ends the stream. The blocks' CRC-32s are joined in order. While blocks are in flight only the
// deflater writes to the file and to the entry's CRC-32 and compressed size; the archive waits
// for it (Drain) before it uses them.
class ZipFile::Deflater {
 public:
  explicit Deflater(ZipFile& zip) : zip_(zip) {
    for (std::size_t i = 0; i < kThreads; ++i) {
      if (deflateInit2(&streams_[i], Z_BEST_SPEED, Z_DEFLATED, kRawDeflate, kMemoryLevel,
                       Z_DEFAULT_STRATEGY) != Z_OK) {
        for (std::size_t made = 0; made < i; ++made) deflateEnd(&streams_[made]);
        throw platform::RunTimeError(platform::error::kOutOfMemory);
      }
    }
    try {
      for (std::size_t i = 0; i < kThreads; ++i) threads_[i] = std::thread([this, i] { Run(i); });
    } catch (const std::system_error& error) {
      Stop();
      throw platform::RunTimeError(
          platform::error::kPathFileAccess,
          "cannot write the workbook '" + zip.shown_ + "': " + error.code().message() + ".");
    }
  }
  ~Deflater() { Stop(); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // Queues `block` as the entry's next, its last when `last`, and leaves `block` empty. Waits
  // while kWaiting blocks wait for a thread; rethrows the failure of a block before.
  void HandOver(std::string& block, bool last) {
    auto piece = std::make_unique<Piece>();
    piece->dictionary = std::move(dictionary_);
    dictionary_.assign(block, block.size() - std::min(block.size(), kDictionary));
    if (last) dictionary_.clear();
    piece->in = std::move(block);
    piece->last = last;
    block.clear();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < kWaiting || failure_; });
    if (failure_) std::rethrow_exception(failure_);
    piece->number = handed_over_++;
    waiting_.push_back(std::move(piece));
    if (!spare_.empty()) {
      block = std::move(spare_.back());
      spare_.pop_back();
    }
    changed_.notify_all();
  }

  // Waits until every block handed over is deflated and written; rethrows a failure.
  void Drain() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return written_ == handed_over_ || failure_; });
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  static constexpr std::size_t kThreads = 2;
  static constexpr std::size_t kDictionary = 32768;
  static constexpr int kRawDeflate = -15;
  static constexpr int kMemoryLevel = 8;

  struct Piece {
    std::uint64_t number = 0;
    std::string dictionary;
    std::string in;
    bool last = false;
    std::string out;
    std::uint32_t crc = 0;
  };

  // Ends the threads started, once the block each deflates is done, and the streams.
  void Stop() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) {
      if (thread.joinable()) thread.join();
    }
    for (z_stream& stream : streams_) deflateEnd(&stream);
  }

  void Run(std::size_t thread) {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stop_ || failure_ || !waiting_.empty(); });
      if (stop_ || failure_) return;
      std::unique_ptr<Piece> piece = std::move(waiting_.front());
      waiting_.pop_front();
      lock.unlock();
      std::exception_ptr failure;
      try {
        Compress(streams_[thread], *piece);
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      if (failure) {
        failure_ = failure;
        changed_.notify_all();
        return;
      }
      done_.emplace(piece->number, std::move(piece));
      WriteDone(lock);
      changed_.notify_all();
    }
  }

  void Compress(z_stream& z, Piece& piece) {
    deflateReset(&z);
    if (!piece.dictionary.empty()) {
      deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(piece.dictionary.data()),
                           static_cast<uInt>(piece.dictionary.size()));
    }
    piece.crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(piece.in.data()),
                                                 static_cast<uInt>(piece.in.size())));
    // A block of 1 MiB deflates to at most its size and a few bytes a stored block.
    piece.out.resize(deflateBound(&z, static_cast<uLong>(piece.in.size())) + 16);
    z.next_in = reinterpret_cast<Bytef*>(piece.in.data());
    z.avail_in = static_cast<uInt>(piece.in.size());
    z.next_out = reinterpret_cast<Bytef*>(piece.out.data());
    z.avail_out = static_cast<uInt>(piece.out.size());
    const int status = deflate(&z, piece.last ? Z_FINISH : Z_SYNC_FLUSH);
    if (status != (piece.last ? Z_STREAM_END : Z_OK) || z.avail_in != 0 || z.avail_out == 0) {
      throw platform::RunTimeError(
          platform::error::kPathFileAccess,
          "cannot write the workbook '" + zip_.shown_ + "': the compression failed.");
    }
    piece.out.resize(piece.out.size() - z.avail_out);
  }

  // Writes the deflated blocks that are next in order, on one thread at a time, without the lock.
  void WriteDone(std::unique_lock<std::mutex>& lock) {
    if (writing_) return;
    writing_ = true;
    for (auto next = done_.find(written_); next != done_.end(); next = done_.find(written_)) {
      std::unique_ptr<Piece> piece = std::move(next->second);
      done_.erase(next);
      lock.unlock();
      std::exception_ptr failure;
      try {
        zip_.AddDeflated(piece->out, piece->crc, piece->in.size());
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      if (failure) {
        failure_ = failure;
        break;
      }
      ++written_;
      if (spare_.size() < kWaiting && piece->in.capacity() >= kHandOver) {
        piece->in.clear();
        spare_.push_back(std::move(piece->in));
      }
    }
    writing_ = false;
  }

  ZipFile& zip_;
  z_stream streams_[kThreads] = {};
  std::string dictionary_;  // the end of the block handed over last; only HandOver uses it
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Piece>> waiting_;
  std::map<std::uint64_t, std::unique_ptr<Piece>> done_;  // deflated, not yet written
  std::vector<std::string> spare_;                        // emptied blocks, to fill again
  std::uint64_t handed_over_ = 0;
  std::uint64_t written_ = 0;
  bool writing_ = false;
  bool stop_ = false;
  std::exception_ptr failure_;
  std::thread threads_[kThreads];
};

ZipFile::ZipFile(const std::string& path, const std::string& shown) : shown_(shown) {
  errno = 0;
  if (file_.open(platform::PathFromUtf8(path),
                 std::ios::out | std::ios::binary | std::ios::trunc) == nullptr) {
    Fail();
  }
  block_.reserve(kHandOver);
  deflater_ = std::make_unique<Deflater>(*this);
}

ZipFile::~ZipFile() { deflater_.reset(); }

void ZipFile::StartEntry(std::string_view name, std::uint64_t most) {
  if (open_entry_) FinishEntry();
  Entry entry;
  entry.name = name;
  entry.offset = written_;
  // Deflate can add a few bytes a block to what it cannot shrink.
  entry.zip64 = most + most / 1024 + 64 >= kFull;
  std::string header;
  Put32(header, kLocalHeader);
  Put16(header, entry.zip64 ? kVersionZip64 : kVersion);
  Put16(header, 0);  // no flags: the sizes are written into this header once known
  Put16(header, kDeflated);
  Put16(header, 0);
  Put16(header, kDate);
  Put32(header, 0);  // CRC-32, sizes: filled in at the entry's end
  Put32(header, entry.zip64 ? kFull : 0);
  Put32(header, entry.zip64 ? kFull : 0);
  Put16(header, static_cast<std::uint16_t>(name.size()));
  Put16(header, entry.zip64 ? 20 : 0);
  header += name;
  if (entry.zip64) {
    Put16(header, kZip64Extra);
    Put16(header, 16);
    Put64(header, 0);
    Put64(header, 0);
  }
  Put(header);
  entries_.push_back(std::move(entry));
  open_entry_ = true;
}

void ZipFile::Write(std::string_view bytes) {
  entries_.back().size += bytes.size();
  while (!bytes.empty()) {
    const std::size_t piece = std::min(bytes.size(), kHandOver - block_.size());
    block_.append(bytes.substr(0, piece));
    bytes.remove_prefix(piece);
    if (block_.size() == kHandOver) deflater_->HandOver(block_, false);
  }
}

void ZipFile::WriteAndEmpty(std::string& bytes) {
  if (!block_.empty() || bytes.size() < kHandOver) {
    Write(bytes);
    bytes.clear();
    return;
  }
  entries_.back().size += bytes.size();
  deflater_->HandOver(bytes, false);
}

void ZipFile::AddDeflated(std::string_view deflated, std::uint32_t crc, std::uint64_t size) {
  Entry& entry = entries_.back();
  entry.crc = static_cast<std::uint32_t>(crc32_combine(entry.crc, crc, static_cast<z_off_t>(size)));
  entry.compressed += deflated.size();
  Put(deflated);
}

void ZipFile::FinishEntry() {
  deflater_->HandOver(block_, true);
  deflater_->Drain();
  open_entry_ = false;
  const Entry& entry = entries_.back();
  if (!entry.zip64 && (entry.size >= kFull || entry.compressed >= kFull)) {
    // Its header has no room for the sizes: the bound given was wrong.
    throw platform::RunTimeError(platform::error::kInternalError,
                                 "the workbook's part " + entry.name + " outgrew its bound.");
  }
  std::string sizes;
  Put32(sizes, entry.crc);
  if (!entry.zip64) {
    Put32(sizes, static_cast<std::uint32_t>(entry.compressed));
    Put32(sizes, static_cast<std::uint32_t>(entry.size));
    return PutAt(entry.offset + 14, sizes);
  }
  PutAt(entry.offset + 14, sizes);
  sizes.clear();
  Put64(sizes, entry.size);
  Put64(sizes, entry.compressed);
  PutAt(entry.offset + 30 + entry.name.size() + 4, sizes);
}

void ZipFile::Close() {
  if (open_entry_) FinishEntry();
  const std::uint64_t directory_start = written_;
  bool archive_zip64 = false;
  for (const Entry& entry : entries_) {
    std::string extra;
    const bool sizes64 = entry.zip64 || entry.size >= kFull || entry.compressed >= kFull;
    if (sizes64) {
      Put64(extra, entry.size);
      Put64(extra, entry.compressed);
    }
    if (entry.offset >= kFull) Put64(extra, entry.offset);
    const bool zip64 = !extra.empty();
    archive_zip64 = archive_zip64 || zip64;
    std::string header;
    Put32(header, kCentralHeader);
    Put16(header, zip64 ? kVersionZip64 : kVersion);
    Put16(header, zip64 ? kVersionZip64 : kVersion);
    Put16(header, 0);
    Put16(header, kDeflated);
    Put16(header, 0);
    Put16(header, kDate);
    Put32(header, entry.crc);
    Put32(header, sizes64 ? kFull : static_cast<std::uint32_t>(entry.compressed));
    Put32(header, sizes64 ? kFull : static_cast<std::uint32_t>(entry.size));
    Put16(header, static_cast<std::uint16_t>(entry.name.size()));
    Put16(header, static_cast<std::uint16_t>(zip64 ? extra.size() + 4 : 0));
    Put16(header, 0);  // comment
    Put16(header, 0);  // disk
    Put16(header, 0);  // internal attributes
    Put32(header, 0);  // external attributes
    Put32(header, Field32(entry.offset));
    header += entry.name;
    if (zip64) {
      Put16(header, kZip64Extra);
      Put16(header, static_cast<std::uint16_t>(extra.size()));
      header += extra;
    }
    Put(header);
  }
  const std::uint64_t directory_size = written_ - directory_start;
  const std::uint64_t count = entries_.size();
  std::string end;
  if (archive_zip64 || directory_start >= kFull || directory_size >= kFull) {
    const std::uint64_t record = written_;
    Put32(end, kZip64EndOfDirectory);
    Put64(end, 44);  // the record's size after this field
    Put16(end, kVersionZip64);
    Put16(end, kVersionZip64);
    Put32(end, 0);  // this disk
    Put32(end, 0);  // the directory's disk
    Put64(end, count);
    Put64(end, count);
    Put64(end, directory_size);
    Put64(end, directory_start);
    Put32(end, kZip64Locator);
    Put32(end, 0);
    Put64(end, record);
    Put32(end, 1);  // disks
  }
  Put32(end, kEndOfDirectory);
  Put16(end, 0);
  Put16(end, 0);
  Put16(end, static_cast<std::uint16_t>(count));
  Put16(end, static_cast<std::uint16_t>(count));
  Put32(end, Field32(directory_size));
  Put32(end, Field32(directory_start));
  Put16(end, 0);  // comment
  Put(end);
  errno = 0;
  if (file_.close() == nullptr) Fail();
}

void ZipFile::Put(std::string_view bytes) {
  errno = 0;
  const auto count = static_cast<std::streamsize>(bytes.size());
  if (file_.sputn(bytes.data(), count) != count) Fail();
  written_ += bytes.size();
}

void ZipFile::PutAt(std::uint64_t offset, std::string_view bytes) {
  errno = 0;
  const auto count = static_cast<std::streamsize>(bytes.size());
  if (file_.pubseekpos(static_cast<std::streamoff>(offset), std::ios::out) == std::streampos(-1) ||
      file_.sputn(bytes.data(), count) != count ||
      file_.pubseekoff(0, std::ios::end, std::ios::out) == std::streampos(-1)) {
    Fail();
  }
}

void ZipFile::Fail() const {
  const std::string reason =
      errno != 0 ? std::generic_category().message(errno) : "the file could not be written";
  throw platform::RunTimeError(platform::error::kPathFileAccess,
                               "cannot write the workbook '" + shown_ + "': " + reason + ".");
}

}  // namespace exporter
