// The words of the window's status line: after each load, which table was read, how many records
// the list holds and for which days; after a failure, what the list holds now. Plain text, the
// same on every window system.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace data {

// What the list holds after a load, whole or stopped by a failure.
struct ListContent {
  std::string table;  // the full path of the table file read
  std::size_t records = 0;
  std::string first;  // the range asked for, the earlier date first
  std::string last;
  bool complete = true;  // false when a failure stopped the load after the list was replaced
};

// "C:\Milk\TRAN.dbf — 5,840 records, 2081/01/01 to 2081/01/15". When the file `picked` is not
// the table read, a second sentence says so: "TRAN_2080_backup.dbf was picked; the folder's
// TRAN.dbf was read."
std::string StatusAfterLoad(const ListContent& content, std::string_view picked);

// `advice` (what to mend, may be empty), then what the list holds now: `content` when the
// failure left it as an earlier load made it (`unchanged`), or as this load left it; none when
// nothing was ever loaded: "The list still holds 5,840 records of C:\Milk\TRAN.dbf, 2081/01/01
// to 2081/01/15."
std::string StatusAfterFailure(std::string_view advice, const std::optional<ListContent>& content,
                               bool unchanged);

// The file name at the end of `path`, after its last "/" or "\".
std::string_view FileNameOf(std::string_view path);

}  // namespace data
