#include "platform/db/dbf_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/db/byte_order.h"
#include "platform/db/memo_file.h"
#include "platform/db/number_format.h"

namespace platform::db {

namespace {

const std::uint8_t* Bytes(std::string_view view) {
  return reinterpret_cast<const std::uint8_t*>(view.data());
}

bool AllOf(std::string_view bytes, std::string_view set) {
  return bytes.find_first_not_of(set) == std::string_view::npos;
}

constexpr std::string_view kBlankBytes{" \0", 2};
// Currency units below 10^15 in magnitude: values of at most fifteen significant digits.
constexpr std::int64_t kExactUnits = 1000000000000000;
constexpr std::string_view kBlankDateBytes{" 0\0", 3};

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

// An N or F value: a blank number counts as 0; bad text is unknown.
Cell NumericCell(std::string_view raw, std::string& scratch) {
  Cell cell;
  const StoredNumber number = ParseStoredNumber(raw);
  switch (number.kind) {
    case StoredNumber::Kind::kBlank:
      cell.type = Cell::Type::kInteger;
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

Cell CurrencyCell(std::string_view raw, std::string& scratch) {
  Cell cell;
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

// T, Y and their lower case are true, F, N, "?" and a blank false; anything else is unknown.
Cell LogicalCell(char c) {
  Cell cell;
  if (std::strchr("TtYy", c) != nullptr && c != '\0') {
    cell.integer = 1;
  } else if (std::strchr("FfNn? ", c) == nullptr || c == '\0') {
    return cell;
  }
  cell.type = Cell::Type::kInteger;
  return cell;
}

}  // namespace

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

void DbfTable::Scan::Fill(std::uint32_t first) {
  const std::uint32_t length = table_.record_length_;
  const std::uint32_t per_buffer = std::max<std::uint32_t>(1, (1u << 18) / length);
  buffered_first_ = first;
  buffered_count_ = std::min(per_buffer, end_ - first);
  buffer_.resize(static_cast<std::size_t>(buffered_count_) * length);
  const std::uint64_t offset = table_.header_length_ + static_cast<std::uint64_t>(first) * length;
  if (!table_.file_.ReadAt(offset, buffer_.data(), buffer_.size())) throw table_.CutShort(first);
}

bool DbfTable::Scan::Next() {
  if (started_) ++record_;
  started_ = true;
  if (record_ >= end_) return false;
  if (record_ - buffered_first_ >= buffered_count_ || buffered_count_ == 0) {
    Fill(record_);
    table_.RememberRun(buffered_first_, buffered_first_ + buffered_count_, buffer_.data());
  }
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
  code_page_->Decode(bytes, scratch);
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
    code_page_->Decode(scratch, decoded);
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
    case FieldKind::kNumeric:
      return NumericCell(raw, scratch);
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
    case FieldKind::kCurrency:
      return CurrencyCell(raw, scratch);
    case FieldKind::kDate:
    case FieldKind::kDateTime: {
      const auto text = field.kind == FieldKind::kDate ? DateText(raw) : DateTimeText(raw);
      if (!text) return cell;
      scratch = *text;
      cell.type = Cell::Type::kText;
      cell.bytes = scratch;
      return cell;
    }
    case FieldKind::kLogical:
      return LogicalCell(raw[0]);
    case FieldKind::kMemoText:
    case FieldKind::kMemoBinary:
      return ReadMemo(raw, field.kind == FieldKind::kMemoText, scratch);
    case FieldKind::kUnknown:
      return cell;
  }
  return cell;
}

}  // namespace platform::db
