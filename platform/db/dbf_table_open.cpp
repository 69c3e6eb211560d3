#include <cctype>
#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

#include "platform/db/byte_order.h"
#include "platform/db/dbf_table.h"
#include "platform/db/memo_file.h"
#include "platform/system/path_text.h"

namespace platform::db {

namespace {

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

}  // namespace

DbfTable::DbfTable(const std::filesystem::path& path, int fallback_code_page)
    : path_(path), file_(path) {
  // A table that another program is writing at this moment may look damaged for that moment: a
  // count raised before its record is written, a file cut to nothing to be written again. Its
  // header is read again until it reads whole, or until the file has been left alone for a
  // second, when it is as damaged as it looks; a file still written after two seconds is being
  // written. Each stamp is taken before the header is read, so a later equal one tells that
  // nothing was written since.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (int wait_ms = 1;; wait_ms = std::min(wait_ms * 2, 64)) {
    const FileStamp stamp = file_.StampNow();
    const bool settled = TableFileReader::Settled(stamp);
    try {
      ReadHeader();
      opened_ = checked_.table = stamp;
      checked_.settled = settled;
      break;
    } catch (const RunTimeError& error) {
      if (error.number() != error::kDatabaseError) throw;
      const FileStamp after = file_.StampNow();
      if (after == stamp && TableFileReader::LeftAlone(after)) throw;
      if (std::chrono::steady_clock::now() > give_up) throw BeingWritten();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
  }
  code_page_ = std::make_unique<CodePage>(CodePageOfMark(header_[29], fallback_code_page));
  OpenMemo();
  if (memo_) {
    checked_.memo = memo_->opened_stamp();
    checked_.settled = checked_.settled && memo_->opened_settled();
  }
  largest_size_ = checked_.table.size;
  largest_memo_size_ = checked_.memo.size;
  largest_count_ = record_count_;
}

DbfTable::~DbfTable() = default;

void DbfTable::ReadHeader() {
  std::vector<std::uint8_t> header = ReadHeaderBytes();
  bool filled = false;
  std::vector<DbfField> all = ReadDescriptors(header, filled);
  CheckRecordLength(all, filled);
  CheckRecordsHeld();
  PlaceFields(std::move(all));
  header_ = std::move(header);
  RememberLastRecord();
}

void DbfTable::RememberLastRecord() {
  // The last counted record is read with the header and compared with what is read later (see
  // CheckUnchanged): a program that rewrites the table with another count, packing it say,
  // changes it, while one that appends leaves it. So records read after a rewrite are never
  // taken for the records the count was read with. The header is read again after it, to know
  // that both are of one moment.
  runs_read_.clear();
  if (record_count_ == 0) return;
  const std::uint32_t last = record_count_ - 1;
  std::vector<std::uint8_t> record(record_length_);
  std::vector<std::uint8_t> again(header_.size());
  if (!file_.ReadAt(header_length_ + static_cast<std::uint64_t>(last) * record_length_,
                    record.data(), record.size()) ||
      !file_.ReadAt(0, again.data(), again.size()) || again != header_) {
    throw CutShort(last);
  }
  RememberRun(last, record_count_, record.data());
}

RunTimeError DbfTable::NotATable(const std::string& why) const {
  return RunTimeError(
      error::kDatabaseError,
      "'" + Utf8Of(path_) + "' is not a FoxPro table, or it is damaged (" + why + ").");
}

RunTimeError DbfTable::Damaged(const std::string& why) const {
  return RunTimeError(error::kDatabaseError,
                      "'" + Utf8Of(path_) + "' is damaged (" + why +
                          "). Repair it with the program that writes it, or use a backup copy.");
}

std::vector<std::uint8_t> DbfTable::ReadHeaderBytes() {
  // The header is read by a copy, checked as it is read, like the records; the size only after
  // it (see CheckRecordsHeld).
  std::vector<std::uint8_t> header(32);
  if (!file_.ReadAt(0, header.data(), header.size())) {
    throw NotATable("it is shorter than a table header");
  }
  version_ = header[0];
  if (!KnownVersion(version_)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", version_);
    throw NotATable(std::string("unknown version byte ") + hex);
  }
  header_length_ = Le16(header.data() + 8);
  record_length_ = Le16(header.data() + 10);
  header.resize(header_length_);
  if (header_length_ < 33 || !file_.ReadAt(0, header.data(), header.size())) {
    throw NotATable("header length " + std::to_string(header_length_) + " is out of the file");
  }
  record_count_ = Le32(header.data() + 4);
  if (record_length_ == 0) throw NotATable("record length is 0");
  return header;
}

std::vector<DbfField> DbfTable::ReadDescriptors(const std::vector<std::uint8_t>& header,
                                                bool& filled) const {
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
      throw Damaged("the field descriptors run past the header length " +
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
  if (all.empty()) throw NotATable("it has no fields");
  filled = !terminated && pos == header_length_;
  return all;
}

void DbfTable::CheckRecordLength(std::vector<DbfField>& all, bool filled) const {
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
    throw Damaged("the record length " + std::to_string(record_length_) +
                  " is shorter than its fields' " + std::to_string(plain) + " bytes");
  }
  if (filled && plain != record_length_) {
    throw Damaged("the field descriptors run past the header length " +
                  std::to_string(header_length_));
  }
}

void DbfTable::CheckRecordsHeld() const {
  // A program that appends to the table writes the record first and then raises the count, so
  // the size taken after the count always holds the counted records. A program that raises the
  // count first is met by reading the header again (see the constructor).
  const std::uint64_t size = file_.SizeNow();
  const std::uint64_t held = size < header_length_ ? 0 : (size - header_length_) / record_length_;
  if (record_count_ > held) {
    throw Damaged("the header counts " + std::to_string(record_count_) +
                  " records but the file holds " + std::to_string(held));
  }
}

void DbfTable::PlaceFields(std::vector<DbfField> all) {
  fields_.clear();
  null_flags_ = nullptr;
  needs_memo_ = false;
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
  if (fields_.size() > kMostFields) {
    throw Damaged("it has " + std::to_string(fields_.size()) + " fields, and a table has at most " +
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
