// The field index's one pass over a table: the runs of live records of each stored value.
#include "platform/db/field_index.h"

#include <cstring>
#include <future>
#include <system_error>

#include "platform/db/dbf_table.h"

namespace platform::db {

namespace {

// The stored value of the previous record in the index pass, kept aside because the scan's
// buffer moves on under it. Fields of 4 to 16 bytes keep it as two words that may overlap, so a
// record's value compares without a call.
template <typename Word>
class WordsValue {
 public:
  explicit WordsValue(std::size_t width) : tail_(width - sizeof(Word)) {}
  bool Same(const std::uint8_t* bytes) const {
    return Load(bytes) == head_ && Load(bytes + tail_) == tail_word_;
  }
  void Set(const std::uint8_t* bytes) {
    head_ = Load(bytes);
    tail_word_ = Load(bytes + tail_);
  }

 private:
  static Word Load(const std::uint8_t* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
  }
  std::size_t tail_;
  Word head_ = 0;
  Word tail_word_ = 0;
};

// Other widths, an empty field's included.
class BytesValue {
 public:
  explicit BytesValue(std::size_t width) : bytes_(width) {}
  bool Same(const std::uint8_t* bytes) const {
    return bytes_.empty() || std::memcmp(bytes, bytes_.data(), bytes_.size()) == 0;
  }
  void Set(const std::uint8_t* bytes) {
    if (!bytes_.empty()) std::memcpy(bytes_.data(), bytes, bytes_.size());
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

// The runs of live records of each stored value of the field, trailing blanks dropped, in record
// order. The run being extended is kept aside, and the map searched, only when a record's stored
// bytes differ from the previous live record's; the common record, live, not null and next to the
// run of its value, costs a few comparisons.
template <typename Value>
[[gnu::noinline]] FieldIndex IndexRecords(const DbfTable& table, const DbfField& field, Value last,
                                          std::uint32_t first, std::uint32_t end) {
  const bool nullable = field.null_bit >= 0;
  const std::size_t length = table.record_length();
  const std::size_t offset = field.offset;
  FieldIndex index;
  std::vector<RecordRun>* runs = nullptr;  // of `last`, once a record has been seen
  // No record is numbered UINT32_MAX, so no record extends the run before there is one.
  RecordRun run{UINT32_MAX, UINT32_MAX};
  for (DbfTable::Scan scan(table, first, end); scan.NextBlock();) {
    const std::uint8_t* bytes = scan.block_bytes();
    const std::uint32_t block_end = scan.block_first() + scan.block_count();
    for (std::uint32_t record = scan.block_first(); record < block_end; ++record, bytes += length) {
      // The records that extend the run being built, most of them, in a loop of their own.
      if (record == run.end && !nullable) {
        while (bytes[0] == ' ' && last.Same(bytes + offset) && ++record < block_end) {
          bytes += length;
        }
        run.end = record;
        if (record == block_end) break;
      }
      const std::uint8_t* value = bytes + offset;
      if (bytes[0] == '*') continue;
      if (bytes[0] == 0x1A) throw table.DamagedRecord(record);
      if (nullable && table.IsNullIn(bytes, field)) continue;
      if (runs != nullptr && last.Same(value)) {
        if (record == run.end) {
          ++run.end;
          continue;
        }
        runs->push_back({run.begin, run.end});
      } else {
        if (runs != nullptr) runs->push_back({run.begin, run.end});
        const std::string_view text(reinterpret_cast<const char*>(value), field.length);
        runs = &index.runs[std::string(TrimRightBlanks(text))];
        last.Set(value);
      }
      run = {record, record + 1};
    }
  }
  if (runs != nullptr) runs->push_back({run.begin, run.end});
  return index;
}

// Appends to `index` the runs of `later`, an index of the records that follow those of `index`;
// a run that the division cut in two becomes one again.
void AppendLater(FieldIndex& index, FieldIndex&& later) {
  for (auto& [value, runs] : later.runs) {
    std::vector<RecordRun>& into = index.runs[value];
    auto from = runs.begin();
    if (!into.empty() && from != runs.end() && into.back().end == from->begin) {
      into.back().end = from->end;
      ++from;
    }
    into.insert(into.end(), from, runs.end());
  }
}

// Tables of at least this many records are indexed in two halves at once: reading the table is
// most of the work, and the second half is read on a second thread.
constexpr std::uint32_t kTwoHalvesRecords = std::uint32_t{1} << 18;

template <typename Value>
FieldIndex IndexTable(const DbfTable& table, const DbfField& field, const Value& last) {
  const std::uint32_t count = table.record_count();
  if (count >= kTwoHalvesRecords) {
    const std::uint32_t middle = count / 2;
    std::future<FieldIndex> later;
    try {
      later = std::async(std::launch::async,
                         [&] { return IndexRecords(table, field, last, middle, count); });
    } catch (const std::system_error&) {
      return IndexRecords(table, field, last, 0, count);  // no second thread: one pass
    }
    // A fault in the first half is the one a single pass would meet first.
    FieldIndex index = IndexRecords(table, field, last, 0, middle);
    AppendLater(index, later.get());
    return index;
  }
  return IndexRecords(table, field, last, 0, count);
}

}  // namespace

std::string_view TrimRightBlanks(std::string_view stored) {
  while (!stored.empty() && stored.back() == ' ') stored.remove_suffix(1);
  return stored;
}

FieldIndex BuildFieldIndex(const DbfTable& table, std::size_t column) {
  const DbfField& field = table.fields()[column];
  const std::size_t width = field.length;
  return width >= 8 && width <= 16 ? IndexTable(table, field, WordsValue<std::uint64_t>(width))
         : width >= 4 && width < 8 ? IndexTable(table, field, WordsValue<std::uint32_t>(width))
                                   : IndexTable(table, field, BytesValue(width));
}

}  // namespace platform::db
