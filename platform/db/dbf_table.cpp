#include "platform/db/dbf_table.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <thread>

#include "platform/db/number_format.h"
#include "platform/system/path_text.h"

namespace platform::db {

namespace {

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t Le64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(Le32(p)) | (static_cast<std::uint64_t>(Le32(p + 4)) << 32);
}
std::uint32_t Be32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
const std::uint8_t* Bytes(std::string_view view) {
  return reinterpret_cast<const std::uint8_t*>(view.data());
}

// The code page named by the mark byte of the table's header.
int CodePageOf(const FileMap& map, int fallback) {
  std::uint8_t mark = 0;
  if (map.size() < 32 || !map.ReadAt(29, &mark, 1)) return fallback;
  return CodePageOfMark(mark, fallback);
}

bool IsVisualFoxPro(std::uint8_t version) { return version >= 0x30 && version <= 0x32; }

bool KnownVersion(std::uint8_t version) {
  switch (version) {
    case 0x02:
    case 0x03:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x43:
    case 0x63:
    case 0x83:
    case 0x8B:
    case 0xCB:
    case 0xF5:
    case 0xFB:
      return true;
    default:
      return false;
  }
}

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

bool AllOf(std::string_view bytes, std::string_view set) {
  return bytes.find_first_not_of(set) == std::string_view::npos;
}

constexpr std::string_view kBlankBytes{" \0", 2};
// Currency units below 10^15 in magnitude: values of at most fifteen significant digits.
constexpr std::int64_t kExactUnits = 1000000000000000;
constexpr std::string_view kBlankDateBytes{" 0\0", 3};
// The most fields a FoxPro or dBase IV table has (dBase III has at most 128), the hidden system
// fields left out: a header that counts more is damaged.
constexpr std::size_t kMostFields = 255;

FieldKind KindOf(char type, std::uint32_t length, std::uint8_t flags) {
  const bool binary = (flags & 0x04) != 0;
  switch (type) {
    case 'C':
      return binary ? FieldKind::kBinaryCharacter : FieldKind::kCharacter;
    case 'N':
    case 'F':
      return FieldKind::kNumeric;
    case 'D':
      return length == 8 ? FieldKind::kDate : FieldKind::kUnknown;
    case 'L':
      return length == 1 ? FieldKind::kLogical : FieldKind::kUnknown;
    case 'M':
    case 'G':
    case 'P':
    case 'W':
      if (length != 4 && length != 10) return FieldKind::kUnknown;
      return type == 'M' && !binary ? FieldKind::kMemoText : FieldKind::kMemoBinary;
    case 'B':
      if (length == 8) return FieldKind::kDouble;
      return length == 10 || length == 4 ? FieldKind::kMemoBinary : FieldKind::kUnknown;
    case 'I':
      return length == 4 ? FieldKind::kInteger : FieldKind::kUnknown;
    case 'Y':
      return length == 8 ? FieldKind::kCurrency : FieldKind::kUnknown;
    case 'T':
      return length == 8 ? FieldKind::kDateTime : FieldKind::kUnknown;
    case 'V':
      return binary ? FieldKind::kVarbinary : FieldKind::kVarchar;
    case 'Q':
      return FieldKind::kVarbinary;
    default:
      return FieldKind::kUnknown;
  }
}

bool IsMemo(FieldKind kind) {
  return kind == FieldKind::kMemoText || kind == FieldKind::kMemoBinary;
}

// Julian day number to a Gregorian date (Fliegel and Van Flandern).
void CivilFromJulianDay(std::int64_t jdn, std::int64_t& year, int& month, int& day) {
  std::int64_t l = jdn + 68569;
  const std::int64_t n = 4 * l / 146097;
  l = l - (146097 * n + 3) / 4;
  const std::int64_t i = 4000 * (l + 1) / 1461001;
  l = l - 1461 * i / 4 + 31;
  const std::int64_t j = 80 * l / 2447;
  day = static_cast<int>(l - 2447 * j / 80);
  l = j / 11;
  month = static_cast<int>(j + 2 - 12 * l);
  year = 100 * (n - 49) + i + l;
}

// "yyyy/mm/dd" from the stored YYYYMMDD; empty when blank, nullopt when not a date.
std::optional<std::string> DateText(std::string_view stored) {
  if (AllOf(stored, kBlankDateBytes)) return std::string();
  for (const char c : stored) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const int month = (stored[4] - '0') * 10 + (stored[5] - '0');
  const int day = (stored[6] - '0') * 10 + (stored[7] - '0');
  if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  std::string text;
  text.reserve(10);
  text.append(stored.substr(0, 4)).append("/").append(stored.substr(4, 2)).append("/");
  text.append(stored.substr(6, 2));
  return text;
}

// "yyyy/mm/dd hh:mm:ss" from a Julian day and milliseconds, rounded to the second; empty when
// blank, nullopt when out of range.
std::optional<std::string> DateTimeText(std::string_view stored) {
  if (AllOf(stored, kBlankBytes)) return std::string();
  const auto* p = Bytes(stored);
  std::int64_t jdn = static_cast<std::int32_t>(Le32(p));
  const std::int64_t milliseconds = static_cast<std::int32_t>(Le32(p + 4));
  if (jdn == 0) return std::string();
  if (milliseconds < 0 || milliseconds > 86400000) return std::nullopt;
  std::int64_t seconds = (milliseconds + 500) / 1000;
  if (seconds >= 86400) {
    seconds -= 86400;
    ++jdn;
  }
  std::int64_t year = 0;
  int month = 0;
  int day = 0;
  CivilFromJulianDay(jdn, year, month, day);
  if (year < 1 || year > 9999) return std::nullopt;
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", static_cast<int>(year), month,
                day, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return std::string(text);
}

}  // namespace

// The memo file of a table: .fpt (FoxPro) or .dbt (dBase III and IV).
class MemoFile {
 public:
  MemoFile(const std::filesystem::path& path, bool fpt, std::uint8_t version)
      : map_(path), fpt_(fpt) {
    std::uint8_t header[32] = {};
    // Without a whole first block no memo can be read: every memo is unknown.
    if (map_.size() < 512 || !map_.ReadAt(0, header, sizeof header)) return;
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

  // Puts the bytes of the memo at `block` into `out`; false when they lie outside the file as it
  // is now, so a memo file that another program cuts short while it is read gives unknown values.
  bool Read(std::uint32_t block, std::string& out) const {
    out.clear();
    if (block_size_ == 0) return false;
    const std::uint64_t start = static_cast<std::uint64_t>(block) * block_size_;
    const std::uint64_t size = map_.size();
    if (start < 512 || start >= size) return false;
    std::uint8_t head[8] = {};
    const bool has_head = size - start >= 8 && map_.ReadAt(start, head, sizeof head);
    if (fpt_) {
      if (!has_head) return false;
      const std::uint64_t length = Be32(head + 4);
      return length <= size - start - 8 && ReadInto(start + 8, length, out);
    }
    if (has_head && head[0] == 0xFF && head[1] == 0xFF && head[2] == 0x08 && head[3] == 0x00) {
      const std::uint64_t length = Le32(head + 4);
      return length >= 8 && length <= size - start && ReadInto(start + 8, length - 8, out);
    }
    // dBase III: the text runs up to the first end-of-file mark, read a block at a time. Memos
    // are only ever appended, before the next free block the header names, so the mark is looked
    // for no further than that block (or the file's end, when the header names none).
    const std::uint64_t used = static_cast<std::uint64_t>(next_free_block_) * block_size_;
    const std::uint64_t end = used > 512 ? std::min(size, used) : size;
    for (std::uint64_t at = start; at < end;) {
      const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(512, end - at));
      const std::size_t kept = out.size();
      out.resize(kept + chunk);
      if (!map_.ReadAt(at, out.data() + kept, chunk)) return false;
      const std::size_t mark = out.find('\x1A', kept);
      if (mark != std::string::npos) {
        out.resize(mark);
        return true;
      }
      at += chunk;
    }
    return false;
  }

 private:
  bool ReadInto(std::uint64_t offset, std::uint64_t length, std::string& out) const {
    if (length > out.max_size()) return false;
    out.resize(static_cast<std::size_t>(length));
    return map_.ReadAt(offset, out.data(), out.size());
  }

  FileMap map_;
  bool fpt_;
  std::uint32_t block_size_ = 0;
  std::uint32_t next_free_block_ = 0;  // as the header gives it
};

DbfTable::DbfTable(const std::filesystem::path& path, int fallback_code_page)
    : path_(path),
      map_(path),
      code_page_(CodePageOf(map_, fallback_code_page)),
      checked_(map_.opened_stamp()) {
  // A table that another program is writing at this moment may look damaged for that moment: a
  // count raised before its record is written, a file cut short to be written again. Its header
  // is read again while the file's stamp shows such writes, for a quarter of a second at most;
  // a table left alone meanwhile is damaged.
  for (int wait_ms = 1;; wait_ms *= 2) {
    try {
      ReadHeader();
      break;
    } catch (const RunTimeError& error) {
      if (error.number() != error::kDatabaseError) throw;
      const FileStamp stamp = map_.StampNow();
      if (stamp == checked_ && FileMap::Settled(stamp)) throw;
      if (wait_ms > 128) throw BeingWritten();
      checked_ = stamp;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
  }
  OpenMemo();
}

DbfTable::~DbfTable() = default;

void DbfTable::ReadHeader() {
  fields_.clear();
  null_flags_ = nullptr;
  needs_memo_ = false;
  const std::string name = "'" + Utf8Of(path_) + "'";
  auto not_a_table = [&](const std::string& why) {
    return RunTimeError(error::kDatabaseError,
                        name + " is not a FoxPro table, or it is damaged (" + why + ").");
  };
  auto damaged = [&](const std::string& why) {
    return RunTimeError(error::kDatabaseError,
                        name + " is damaged (" + why +
                            "). Repair it with the program that writes it, or use a backup copy.");
  };

  // The header is read by a copy, checked as it is read, like the records; the size only after
  // it (below).
  std::vector<std::uint8_t> header(32);
  if (!map_.ReadAt(0, header.data(), header.size())) {
    throw not_a_table("it is shorter than a table header");
  }
  version_ = header[0];
  if (!KnownVersion(version_)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", version_);
    throw not_a_table(std::string("unknown version byte ") + hex);
  }
  header_length_ = Le16(header.data() + 8);
  record_length_ = Le16(header.data() + 10);
  header.resize(header_length_);
  if (header_length_ < 33 || !map_.ReadAt(0, header.data(), header.size())) {
    throw not_a_table("header length " + std::to_string(header_length_) + " is out of the file");
  }
  record_count_ = Le32(header.data() + 4);
  if (record_length_ == 0) throw not_a_table("record length is 0");

  // Descriptors run to the 0x0D terminator; a missing terminator ends them at a 0x00 or at the
  // header length.
  std::vector<DbfField> all;
  bool terminated = false;
  std::uint32_t pos = 32;
  while (pos < header_length_) {
    const std::uint8_t first = header[pos];
    if (first == 0x0D) {
      terminated = true;
      break;
    }
    if (first == 0x00) break;
    if (pos + 32 > header_length_) {
      throw damaged("the field descriptors run past the header length " +
                    std::to_string(header_length_));
    }
    const std::uint8_t* d = header.data() + pos;
    DbfField field;
    for (int i = 0; i < 11 && d[i] != 0; ++i) {
      const char c = static_cast<char>(d[i]);
      field.name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    field.type = static_cast<char>(d[11]);
    field.length = d[16];
    field.decimals = d[17];
    field.flags = IsVisualFoxPro(version_) ? d[18] : 0;
    all.push_back(std::move(field));
    pos += 32;
  }
  if (all.empty()) throw not_a_table("it has no fields");

  // Character fields over 255 bytes keep the high length byte in the decimals byte; that
  // reading is taken only when it, and not the plain one, adds up to the record length.
  std::uint64_t plain = 1;
  std::uint64_t wide = 1;
  for (const DbfField& field : all) {
    plain += field.length;
    wide += field.length + (field.type == 'C' ? 256u * field.decimals : 0u);
  }
  if (plain != record_length_ && wide == record_length_) {
    for (DbfField& field : all) {
      if (field.type == 'C') {
        field.length += 256u * field.decimals;
        field.decimals = 0;
      }
    }
    plain = wide;
  }
  if (plain > record_length_) {
    throw damaged("the record length " + std::to_string(record_length_) +
                  " is shorter than its fields' " + std::to_string(plain) + " bytes");
  }
  if (!terminated && pos == header_length_ && plain != record_length_) {
    throw damaged("the field descriptors run past the header length " +
                  std::to_string(header_length_));
  }

  // A program that appends to the table writes the record first and then raises the count, so
  // the size taken after the count always holds the counted records. A program that raises the
  // count first is met by reading the header again (see the constructor).
  auto present = [&] {
    const std::uint64_t size = map_.SizeNow();
    return size < header_length_ ? 0 : (size - header_length_) / record_length_;
  };
  if (record_count_ > present()) {
    const std::uint64_t held = present();
    throw damaged("the header counts " + std::to_string(record_count_) +
                  " records but the file holds " + std::to_string(held));
  }

  std::uint32_t offset = 1;
  std::set<std::string> names;
  int next_bit = 0;
  for (DbfField& field : all) {
    field.offset = offset;
    offset += field.length;
    field.kind = KindOf(field.type, field.length, field.flags);
    if (field.type == '0') {
      if (null_flags_ == nullptr) {
        null_flags_field_ = field;
        null_flags_ = &null_flags_field_;
      }
      continue;
    }
    if (field.type == 'V' || field.type == 'Q') field.length_bit = next_bit++;
    if ((field.flags & 0x02) != 0) field.null_bit = next_bit++;
    if ((field.flags & 0x01) != 0) continue;  // system field: never shown
    if (field.kind == FieldKind::kUnknown) throw UnknownType(field);
    if (field.name.empty()) field.name = "FIELD" + std::to_string(fields_.size() + 1);
    std::string upper = field.name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (int suffix = 2; !names.insert(upper).second; ++suffix) {
      field.name = upper = upper.substr(0, 8) + "_" + std::to_string(suffix);
    }
    needs_memo_ = needs_memo_ || IsMemo(field.kind);
    fields_.push_back(std::move(field));
  }
  header_ = std::move(header);
  if (fields_.size() > kMostFields) {
    throw damaged("it has " + std::to_string(fields_.size()) + " fields, and a table has at most " +
                  std::to_string(kMostFields));
  }
  if (null_flags_ == nullptr) {
    for (DbfField& field : fields_) field.null_bit = field.length_bit = -1;
  }
}

void DbfTable::OpenMemo() {
  if (!needs_memo_) return;
  const bool foxpro = version_ == 0xF5 || version_ == 0xFB || IsVisualFoxPro(version_);
  const std::filesystem::path folder = path_.parent_path().empty() ? "." : path_.parent_path();
  const std::string stem = Utf8Of(path_.stem());
  for (const bool fpt : {foxpro, !foxpro}) {
    const std::filesystem::path found =
        FindFileIgnoringCase(folder, stem + (fpt ? ".fpt" : ".dbt"));
    if (!found.empty()) {
      try {
        memo_ = std::make_unique<MemoFile>(found, fpt, version_);
      } catch (const RunTimeError&) {
        memo_.reset();  // an unreadable memo file is read as a missing one
      }
      return;
    }
  }
}

bool DbfTable::BitSet(const std::uint8_t* record_bytes, int bit) const {
  if (bit < 0 || null_flags_ == nullptr) return false;
  const auto byte = static_cast<std::uint32_t>(bit / 8);
  if (byte >= null_flags_->length) return false;
  return (record_bytes[null_flags_->offset + byte] >> (bit % 8) & 1) != 0;
}

bool DbfTable::IsNullIn(const std::uint8_t* record_bytes, const DbfField& field) const {
  return BitSet(record_bytes, field.null_bit);
}

DbfTable::Scan::Scan(const DbfTable& table, std::uint32_t first, std::uint32_t end)
    : table_(table),
      end_(std::min(end, table.record_count_)),
      buffered_first_(first),
      record_(first) {}

void DbfTable::ReadRun(std::uint32_t first, std::uint32_t end,
                       std::vector<std::uint8_t>& out) const {
  if (end > record_count_ || first >= end) return;
  const std::size_t start = out.size();
  const std::size_t length = static_cast<std::size_t>(end - first) * record_length_;
  out.resize(start + length);
  const std::uint64_t offset = header_length_ + static_cast<std::uint64_t>(first) * record_length_;
  if (!map_.ReadAt(offset, out.data() + start, length)) throw CutShort(first);
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
  if (!map_.ReadAt(0, now.data(), now.size())) return false;
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
    if (!map_.ReadAt(offset, bytes.data(), bytes.size()) ||
        Digest(bytes.data(), bytes.size()) != run.digest) {
      return false;
    }
  }
  return true;
}

void DbfTable::CheckUnchanged(const std::function<bool()>& same_indexes) const {
  const std::lock_guard<std::mutex> lock(check_mutex_);
  if (FileMap::Settled(checked_) && map_.StampNow() == checked_) return;
  const std::uint64_t counted_end =
      header_length_ + static_cast<std::uint64_t>(record_count_) * record_length_;
  for (int passes = 1;; ++passes) {
    const FileStamp stamp = map_.StampNow();
    if (!map_.StillAtPath() || stamp.size < counted_end || !SameHeader() || !SameRuns() ||
        !same_indexes()) {
      throw Rewritten();
    }
    // Nothing was written while it was compared, and a write would have shown: the table is as
    // it was read. Written meanwhile, it is compared once more a moment later: a program that
    // only appends leaves what was read as it was.
    const FileStamp after = map_.StampNow();
    if ((after == stamp && FileMap::Settled(stamp)) || passes == 2) {
      checked_ = after;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void DbfTable::Scan::Fill(std::uint32_t first) {
  const std::uint32_t length = table_.record_length_;
  const std::uint32_t per_buffer = std::max<std::uint32_t>(1, (1u << 18) / length);
  buffered_first_ = first;
  buffered_count_ = std::min(per_buffer, end_ - first);
  buffer_.resize(static_cast<std::size_t>(buffered_count_) * length);
  const std::uint64_t offset = table_.header_length_ + static_cast<std::uint64_t>(first) * length;
  if (!table_.map_.ReadAt(offset, buffer_.data(), buffer_.size())) throw table_.CutShort(first);
}

bool DbfTable::Scan::Next() {
  if (started_) ++record_;
  started_ = true;
  if (record_ >= end_) return false;
  if (record_ - buffered_first_ >= buffered_count_ || buffered_count_ == 0) Fill(record_);
  bytes_ =
      buffer_.data() + static_cast<std::size_t>(record_ - buffered_first_) * table_.record_length_;
  return true;
}

bool DbfTable::Scan::NextBlock() {
  const std::uint32_t first = started_ ? buffered_first_ + buffered_count_ : record_;
  started_ = true;
  if (first >= end_) {
    buffered_first_ = first;
    buffered_count_ = 0;
    return false;
  }
  Fill(first);
  record_ = first + buffered_count_ - 1;
  return true;
}

std::string_view DbfTable::Text(std::string_view bytes, std::string& scratch) const {
  if (IsAscii(bytes)) return bytes;
  scratch.clear();
  code_page_.Decode(bytes, scratch);
  return scratch;
}

Cell DbfTable::ReadMemo(std::string_view pointer, bool text, std::string& scratch) const {
  Cell cell;
  if (!memo_) return cell;
  std::uint32_t block = 0;
  if (pointer.size() == 4) {
    block = Le32(Bytes(pointer));
  } else {
    for (const char c : pointer) {
      if (c == ' ' || c == '\0') continue;
      if (c < '0' || c > '9' || block > 429496728) return cell;
      block = block * 10 + static_cast<std::uint32_t>(c - '0');
    }
  }
  cell.type = text ? Cell::Type::kText : Cell::Type::kBlob;
  if (block == 0) return cell;
  if (!memo_->Read(block, scratch)) return Cell{};
  if (text && !IsAscii(scratch)) {
    std::string decoded;
    code_page_.Decode(scratch, decoded);
    scratch.swap(decoded);
  }
  cell.bytes = scratch;
  return cell;
}

Cell DbfTable::ReadIn(const std::uint8_t* record_bytes, const DbfField& field,
                      std::string& scratch) const {
  Cell cell;
  if (IsNullIn(record_bytes, field)) return cell;
  const std::string_view raw(reinterpret_cast<const char*>(record_bytes + field.offset),
                             field.length);
  switch (field.kind) {
    case FieldKind::kCharacter:
      cell.type = Cell::Type::kText;
      cell.bytes = Text(raw, scratch);
      return cell;
    case FieldKind::kBinaryCharacter:
      cell.type = Cell::Type::kBlob;
      cell.bytes = raw;
      return cell;
    case FieldKind::kVarchar:
    case FieldKind::kVarbinary: {
      std::string_view value = raw;
      if (BitSet(record_bytes, field.length_bit) && !raw.empty()) {
        const std::size_t length = static_cast<unsigned char>(raw.back());
        value = raw.substr(0, std::min(length, raw.size() - 1));
      }
      const bool text = field.kind == FieldKind::kVarchar;
      cell.type = text ? Cell::Type::kText : Cell::Type::kBlob;
      cell.bytes = text ? Text(value, scratch) : value;
      return cell;
    }
    case FieldKind::kNumeric: {
      const StoredNumber number = ParseStoredNumber(raw);
      switch (number.kind) {
        case StoredNumber::Kind::kBlank:
          cell.type = Cell::Type::kInteger;  // a blank number counts as 0
          return cell;
        case StoredNumber::Kind::kInteger:
          cell.type = Cell::Type::kInteger;
          cell.integer = number.integer;
          return cell;
        case StoredNumber::Kind::kReal:
          cell.type = Cell::Type::kReal;
          cell.real = number.real;
          return cell;
        case StoredNumber::Kind::kDecimal:
          scratch = ExactDecimalText(raw);
          cell.type = Cell::Type::kDecimal;
          cell.bytes = scratch;
          return cell;
        case StoredNumber::Kind::kBad:
          return cell;
      }
      return cell;
    }
    case FieldKind::kInteger:
      cell.type = Cell::Type::kInteger;
      cell.integer = static_cast<std::int32_t>(Le32(Bytes(raw)));
      return cell;
    case FieldKind::kDouble: {
      const std::uint64_t bits = Le64(Bytes(raw));
      double value = 0;
      std::memcpy(&value, &bits, sizeof value);
      cell.type = Cell::Type::kReal;
      cell.real = value;
      return cell;
    }
    case FieldKind::kCurrency: {
      const auto units = static_cast<std::int64_t>(Le64(Bytes(raw)));
      // Fifteen digits a double holds exactly; beyond them the value goes as its decimal text.
      if (units > -kExactUnits && units < kExactUnits) {
        cell.type = Cell::Type::kReal;
        cell.real = static_cast<double>(units) / 10000.0;
      } else {
        scratch = ScaledIntegerText(units, 4);
        cell.type = Cell::Type::kDecimal;
        cell.bytes = scratch;
      }
      return cell;
    }
    case FieldKind::kDate:
    case FieldKind::kDateTime: {
      const auto text = field.kind == FieldKind::kDate ? DateText(raw) : DateTimeText(raw);
      if (!text) return cell;
      scratch = *text;
      cell.type = Cell::Type::kText;
      cell.bytes = scratch;
      return cell;
    }
    case FieldKind::kLogical: {
      const char c = raw[0];
      if (std::strchr("TtYy", c) != nullptr && c != '\0') {
        cell.integer = 1;
      } else if (std::strchr("FfNn? ", c) == nullptr || c == '\0') {
        return cell;
      }
      cell.type = Cell::Type::kInteger;
      return cell;
    }
    case FieldKind::kMemoText:
    case FieldKind::kMemoBinary:
      return ReadMemo(raw, field.kind == FieldKind::kMemoText, scratch);
    case FieldKind::kUnknown:
      return cell;
  }
  return cell;
}

RunTimeError DbfTable::DamagedRecord(std::uint32_t record) const {
  // A table another program has written since it was opened is not damaged but rewritten.
  if (map_.StampNow() != map_.opened_stamp()) return Rewritten();
  return RunTimeError(error::kDatabaseError,
                      "'" + Utf8Of(path_) + "' is damaged (record " + std::to_string(record + 1) +
                          " of " + std::to_string(record_count_) +
                          " holds an end-of-file mark). Repair it with the program that writes "
                          "it, or use a backup copy.");
}

RunTimeError DbfTable::UnknownType(const DbfField& field) const {
  const auto byte = static_cast<unsigned char>(field.type);
  char type[16];
  if (byte >= 0x21 && byte <= 0x7E) {
    std::snprintf(type, sizeof type, "'%c' (0x%02X)", byte, byte);
  } else {
    std::snprintf(type, sizeof type, "0x%02X", byte);
  }
  return RunTimeError(error::kDatabaseError, "field " + field.name + " of '" + Utf8Of(path_) +
                                                 "' has type " + type + " and length " +
                                                 std::to_string(field.length) +
                                                 ", which this program cannot read.");
}

}  // namespace platform::db
