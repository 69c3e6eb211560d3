// A .dbf table (Visual FoxPro, FoxPro 2, dBase III and IV) with its memo file when it has memo
// fields. The file's header is read and checked once when the table opens, and its record count
// then stays: every read of the table sees the records counted at that moment, whatever another
// program appends meanwhile. Records and memos are read by copies (Scan, ReadRun, ReadIn), in
// blocks, so a table of any size costs little memory, and a file another program cuts short
// meanwhile gives an error or an unknown memo, never a fault. A table keeps nothing of its reads
// but where the runs of records it read lie and a digest of their bytes, and the memo file a
// digest of each memo read (behind locks), so several threads may read one table at once, each
// with a scratch text of its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/code_page.h"
#include "platform/db/table_file.h"
#include "platform/run_time_error.h"

namespace platform::db {

enum class FieldKind {
  kCharacter,        // C: code page text, full width
  kBinaryCharacter,  // C with the binary flag: bytes
  kNumeric,          // N, F: decimal text
  kInteger,          // I: int32
  kDouble,           // B in Visual FoxPro: IEEE double
  kCurrency,         // Y: int64 ten-thousandths
  kDate,             // D: YYYYMMDD
  kDateTime,         // T: Julian day and milliseconds
  kLogical,          // L
  kMemoText,         // M
  kMemoBinary,       // G, P, W, B in dBase, M with the binary flag
  kVarchar,          // V
  kVarbinary,        // Q, V with the binary flag
  kUnknown,          // a type this reader does not know: a table with one is refused
};

struct DbfField {
  std::string name;  // as stored (upper case), at most 10 characters, unique in the table
  char type = 'C';
  FieldKind kind = FieldKind::kCharacter;
  std::uint32_t offset = 0;  // from the start of the record, the deletion flag being byte 0
  std::uint32_t length = 0;
  std::uint8_t decimals = 0;
  std::uint8_t flags = 0;
  int null_bit = -1;    // bit in _NullFlags that makes the value null, or -1
  int length_bit = -1;  // V and Q: bit that says the last byte holds the value's length
};

// A value as the engine receives it. Text and blob bytes point into the record's bytes or into
// the scratch text passed to DbfTable::ReadIn, and live as long as both. A number with more
// significant digits than a double holds comes as kDecimal: its exact decimal text in `bytes`.
struct Cell {
  enum class Type { kNull, kInteger, kReal, kText, kBlob, kDecimal };
  Type type = Type::kNull;
  std::int64_t integer = 0;
  double real = 0;
  std::string_view bytes;
};

class MemoFile;

class DbfTable {
 public:
  enum class RecordState { kLive, kDeleted, kDamaged };

  // Opens and checks the table at `path`; text is decoded with the table's code page, or with
  // `fallback_code_page` when the table has no mark. The header is read before the file's size,
  // so a record count that another program raised after appending its record is never beyond the
  // data. Throws RunTimeError 53 when the file is not there, 70 when this user may not read it,
  // and kDatabaseError, naming the file and the fault, when it is not a table or is damaged: too
  // short, an unknown version byte, header or record length out of the file, field descriptors
  // running past the header, more fields than a table has, a record length shorter than the
  // fields, a field of a type this reader does not know, or a record count beyond the records the
  // file holds. A header found so is read again until it reads whole, or until the file has been
  // left alone for a second (then the error names the fault); a file still written after two
  // seconds gives an error saying the table is being written and to load it again.
  explicit DbfTable(const std::filesystem::path& path, int fallback_code_page = 1252);
  ~DbfTable();
  DbfTable(const DbfTable&) = delete;
  DbfTable& operator=(const DbfTable&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::uint8_t version() const { return version_; }
  const CodePage& code_page() const { return *code_page_; }
  // The fields a query sees: _NullFlags and other system fields are left out.
  const std::vector<DbfField>& fields() const { return fields_; }
  // Records counted in the header when the table was opened, deleted ones included.
  std::uint32_t record_count() const { return record_count_; }
  // False when the table has memo fields and no memo file was found: their values are null.
  bool has_memo_file() const { return memo_ != nullptr || !needs_memo_; }
  std::uint32_t record_length() const { return record_length_; }

  // Only "*" marks a deleted record; an end-of-file mark where a record should start is damage.
  static RecordState StateOf(const std::uint8_t* record_bytes) {
    const std::uint8_t flag = record_bytes[0];
    return flag == '*'    ? RecordState::kDeleted
           : flag == 0x1A ? RecordState::kDamaged
                          : RecordState::kLive;
  }

  // Whether the field's null bit is set in the stored bytes of a record read by a Scan.
  bool IsNullIn(const std::uint8_t* record_bytes, const DbfField& field) const;

  // The records in order, copied through one buffer of a quarter of a mebibyte.
  class Scan {
   public:
    // The records from `first` up to `end` (or the last), in order.
    explicit Scan(const DbfTable& table, std::uint32_t first = 0, std::uint32_t end = UINT32_MAX);
    // Moves to the next record; false past the last. Throws kDatabaseError when the file no
    // longer holds the record (another program has cut it short).
    bool Next();
    std::uint32_t record() const { return record_; }
    // The record's stored bytes, valid until Next.
    const std::uint8_t* bytes() const { return bytes_; }

    // Reads the records after those read so far, a quarter of a mebibyte of them, for a pass that
    // looks at them all: false past the last. Throws as Next does. Not to be mixed with Next.
    bool NextBlock();
    // The records of the block: the first one's number, how many, and their stored bytes back
    // to back, valid until NextBlock.
    std::uint32_t block_first() const { return buffered_first_; }
    std::uint32_t block_count() const { return buffered_count_; }
    const std::uint8_t* block_bytes() const { return buffer_.data(); }

   private:
    void Fill(std::uint32_t first);

    const DbfTable& table_;
    std::uint32_t end_;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t buffered_first_ = 0;  // the record at the start of the buffer
    std::uint32_t buffered_count_ = 0;
    std::uint32_t record_ = 0;
    bool started_ = false;
    const std::uint8_t* bytes_ = nullptr;
  };

  // The value of `field` in the stored bytes of a record copied out of the table (see Scan and
  // ReadRun), for the engine: numbers as integers or doubles (a blank number is 0), or as exact
  // decimal text when a double cannot hold them, dates as "yyyy/mm/dd" ("" when blank),
  // date-times as "yyyy/mm/dd hh:mm:ss", logicals as 1 and 0, text in UTF-8 with its trailing
  // blanks, binary values as blobs. Values that cannot be read (bad numeric or date text, a memo
  // out of its file) are null. Text may point into the record's bytes or into `scratch`.
  Cell ReadIn(const std::uint8_t* record_bytes, const DbfField& field, std::string& scratch) const;

  // Appends the stored bytes of records [first, end) to `out`. Throws as Scan::Next does. The
  // run is remembered, for CheckUnchanged, as are the records Scan::Next reads.
  void ReadRun(std::uint32_t first, std::uint32_t end, std::vector<std::uint8_t>& out) const;

  // Throws kDatabaseError, saying the table was cut short or rewritten while it was read and to
  // load it again, unless the table is still the one it was when it opened, grown at most: the
  // same file at its path, holding its counted records, never seen shorter than it was once seen,
  // its header the same but for the date and a count never lower than once seen, every run read
  // the same bytes, and the memo file likewise (see MemoFile::SameAsRead); `same_indexes` tells
  // whether the indexes built from the table still hold. While nothing has been written since the
  // last check this costs a look at the files' stamps. Otherwise the table is compared, and
  // passes when nothing was written while it was compared; a program that keeps writing, as one
  // that appends does, is let go on when two comparisons a moment apart pass.
  void CheckUnchanged(const std::function<bool()>& same_indexes) const;

  // The error for a record found damaged while reading: that the table was rewritten when it was
  // written since it opened, or that it is being written when it was written less than a second
  // ago and is still written within a short wait; damage only for a table left alone.
  RunTimeError DamagedRecord(std::uint32_t record) const;

 private:
  bool BitSet(const std::uint8_t* record_bytes, int bit) const;
  RunTimeError CutShort(std::uint32_t record) const;
  RunTimeError Rewritten() const;
  RunTimeError BeingWritten() const;
  // The stamps of the table and its memo file, and whether the table's stamp was settled when
  // taken (see TableFileReader::Settled).
  struct Look {
    FileStamp table;
    FileStamp memo;
    bool settled = false;
    bool operator==(const Look& other) const { return table == other.table && memo == other.memo; }
  };
  Look LookNow() const;
  // Whether the files are no shorter than they have been seen before; remembers their sizes.
  bool NotShorter(const Look& look) const;
  // Whether the header is the one read at opening but for the date, with a count no lower than
  // `least`; `count` is the count it holds now.
  bool SameHeader(std::uint32_t least, std::uint32_t& count) const;
  bool SameRuns() const;
  bool SameAsRead(const std::function<bool()>& same_indexes) const;
  void RememberRun(std::uint32_t first, std::uint32_t end, const std::uint8_t* bytes) const;
  RunTimeError UnknownType(const DbfField& field) const;
  // Reading and checking the header, in its steps: each throws kDatabaseError naming the fault.
  void ReadHeader();
  RunTimeError NotATable(const std::string& why) const;
  RunTimeError Damaged(const std::string& why) const;
  std::vector<std::uint8_t> ReadHeaderBytes();
  // The field descriptors; `filled` tells whether they fill the header, with no terminator.
  std::vector<DbfField> ReadDescriptors(const std::vector<std::uint8_t>& header,
                                        bool& filled) const;
  // Takes the wide reading of character fields when only it adds up to the record length.
  void CheckRecordLength(std::vector<DbfField>& all, bool filled) const;
  void CheckRecordsHeld() const;
  void PlaceFields(std::vector<DbfField> all);
  void RememberLastRecord();
  void OpenMemo();
  Cell ReadMemo(std::string_view pointer, bool text, std::string& scratch) const;
  std::string_view Text(std::string_view bytes, std::string& scratch) const;

  std::filesystem::path path_;
  TableFileReader file_;
  std::unique_ptr<CodePage> code_page_;
  std::uint8_t version_ = 0;
  std::uint32_t record_count_ = 0;
  std::uint32_t header_length_ = 0;
  std::uint32_t record_length_ = 0;
  std::vector<DbfField> fields_;
  const DbfField* null_flags_ = nullptr;
  DbfField null_flags_field_;
  bool needs_memo_ = false;
  std::unique_ptr<MemoFile> memo_;
  std::vector<std::uint8_t> header_;  // as read when the table opened

  // What CheckUnchanged compares: the runs read so far, each with a digest of its bytes, the
  // files' stamps when the table was last found unchanged, and the largest sizes and count seen.
  struct RunRead {
    std::uint32_t first;
    std::uint32_t end;
    std::uint64_t digest;
  };
  mutable std::mutex runs_mutex_;
  mutable std::vector<RunRead> runs_read_;
  mutable std::mutex check_mutex_;
  FileStamp opened_;  // the table's stamp before the header was read
  mutable Look checked_;
  mutable std::uint64_t largest_size_ = 0;
  mutable std::uint64_t largest_memo_size_ = 0;
  mutable std::uint32_t largest_count_ = 0;
};

}  // namespace platform::db
