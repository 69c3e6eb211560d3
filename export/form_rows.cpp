#include "export/form_rows.h"

#include <algorithm>

namespace exporter {

SheetSize MeasureSheet(const platform::ListView& list) {
  const std::size_t items = list.ItemCount();
  if (items >= UINT32_MAX || list.ColumnHeaderCount() >= UINT32_MAX) {
    throw platform::RunTimeError::Overflow();
  }
  SheetSize size{items + 1, list.ColumnHeaderCount()};
  for (std::size_t item = 0; item < items; ++item) {
    const std::size_t sub_items = list.SubItemCount(item);
    if (sub_items >= UINT32_MAX) throw platform::RunTimeError::Overflow();
    size.columns = std::max(size.columns, sub_items + 1);
  }
  return size;
}

void PiecewiseForm::Write(std::string_view piece) {
  written_ += piece.size();
  if (rows_done_ > 0 && rows_done_ < rows_) {
    const std::size_t per_row = written_ / rows_done_ + 1;
    const std::size_t foretold = per_row > SIZE_MAX / 3 / rows_ ? SIZE_MAX / 3 : per_row * rows_;
    if (foretold > expected_) {
      expected_ = foretold / 2 * 3;
      write_.Expect(expected_);
    }
  }
  write_(piece);
}

}  // namespace exporter
