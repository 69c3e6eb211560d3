// An index of one character field of a table: for each stored value, trailing blanks dropped,
// the runs of live records that hold it, in record order. Records are appended day after day, so
// those of one value mostly stand together, and a value has a few runs rather than a list of
// every record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::db {

class DbfTable;

struct RecordRun {
  std::uint32_t begin;
  std::uint32_t end;
  bool operator==(const RecordRun&) const = default;
};

struct FieldIndex {
  std::unordered_map<std::string, std::vector<RecordRun>> runs;
  bool operator==(const FieldIndex&) const = default;
};

// The index of field `column` of `table`, built in one pass over the table's records (two at
// once on a large table). Throws what reading the table throws, and DbfTable::DamagedRecord at
// an end-of-file mark among the records.
FieldIndex BuildFieldIndex(const DbfTable& table, std::size_t column);

// `stored` without its trailing blanks: the form in which the index holds a value.
std::string_view TrimRightBlanks(std::string_view stored);

}  // namespace platform::db
