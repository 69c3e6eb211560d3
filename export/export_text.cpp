#include "export/export_text.h"

#include <cstdint>
#include <limits>

#include "platform/run_time_error.h"

namespace exporter {
namespace {

template <typename Counter>
void Increment(Counter& counter) {
  if (counter == std::numeric_limits<Counter>::max()) throw platform::RunTimeError::Overflow();
  ++counter;
}

}  // namespace

std::string BuildExportText(const platform::ListView& list) {
  std::string rows;
  std::int32_t row_count = 0;
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    Increment(row_count);
    if (row_count > 1) rows += "\r\n";
    rows += list.ItemText(item);
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      rows += '\t';
      rows += list.SubItemText(item, sub);
    }
  }

  std::string header;
  std::int16_t column_count = 0;
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    Increment(column_count);
    if (column_count > 1) header += '\t';
    header += list.ColumnHeaderText(column);
  }

  return header + "\r\n" + rows;
}

}  // namespace exporter
