// An index of one character field of a table: for each stored value, trailing blanks dropped,
// the runs of live records that hold it, in record order. Records are appended day after day, so
// those of one value mostly stand together, and a value has a few runs rather than a list of
// every record.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::db {

struct RecordRun {
  std::uint32_t begin;
  std::uint32_t end;
  bool operator==(const RecordRun&) const = default;
};

struct FieldIndex {
  std::unordered_map<std::string, std::vector<RecordRun>> runs;
  bool operator==(const FieldIndex&) const = default;
};

}  // namespace platform::db
