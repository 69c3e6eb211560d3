// Filling the list with the collection records of a range of BS days.
#pragma once

#include <cstdint>
#include <string>

#include "platform/db/provider.h"
#include "platform/list_view.h"

namespace data {

// Width of every column header, in twips.
inline constexpr int kColumnWidthTwips = 1400;

// What a load has done so far, for the words shown after it.
struct LoadProgress {
  // Set once the connection and the structure query have succeeded and the list was rebuilt.
  bool list_replaced = false;
};

// Loads the records of every day from the earlier to the later of `DFrom` and `dTo` out of the
// table TRAN of the data source `StrFile` into `list`: nine column headers, one item per record.
// A column is a number column when its field in the table is one (N, F, B, Y, I), text otherwise.
// `StrFile` is passed to the provider as one value, whatever characters it holds. The list is
// left unchanged when the connection or the structure query fails, and keeps the rows read so far
// when a later step fails. Throws the provider's errors; the calendar's (6, 9, 13) for the dates,
// with the calendar's description and advice saying which date is at fault; and 94 "Invalid use
// of Null", with advice, after appending an empty item for a record whose first field is null.
// `progress`, when given, is kept up to date, also when the load fails.
void LoadData(platform::ListView& list, std::string StrFile, std::string DFrom, std::string dTo,
              platform::db::Provider& provider = platform::db::DbfProvider(),
              LoadProgress* progress = nullptr);

}  // namespace data
