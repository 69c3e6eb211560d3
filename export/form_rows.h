// What every clipboard form is made of: the list's rows, cell by cell with each cell's type, and
// the pieces in which a form's bytes go to the clipboard's writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/byte_writer.h"
#include "export/file_formats.h"
#include "export/item_cells.h"
#include "platform/clipboard.h"
#include "platform/list_view.h"
#include "platform/run_time_error.h"

namespace exporter {

// A row's cells that have a text, from its left; the text is valid until the next row is read.
struct RowCell {
  std::size_t column = 0;
  std::string_view text;
  bool number = false;
};

// The rows and columns a form covers: the header row and a row per item, and the widest row's
// columns. Throws RunTimeError 6 for 2^32 - 1 rows or columns or more.
struct SheetSize {
  std::size_t rows = 0;
  std::size_t columns = 0;
};

SheetSize MeasureSheet(const platform::ListView& list);

// Calls `row_done(row, cells)` for the header row (0), then for each item's row, with the cells
// of the row that have a text. Which cells are numbers: those of a number column whose text
// CellNumber takes (CellNumberText gives the same answer without making the number); header
// cells never are.
template <typename RowDone>
void ForEachRow(const platform::ListView& list, RowDone row_done) {
  std::vector<platform::ColumnKind> kinds(list.ColumnHeaderCount());
  for (std::size_t column = 0; column < kinds.size(); ++column) {
    kinds[column] = list.ColumnHeaderKind(column);
  }
  std::vector<RowCell> cells;
  auto add = [&](std::size_t column, std::string_view text, bool may_be_number) {
    if (text.empty()) return;
    if (text.size() > UINT32_MAX) throw platform::RunTimeError::Overflow();
    const bool number =
        may_be_number && column < kinds.size() && !CellNumberText(kinds[column], text).empty();
    RowCell& cell = cells.emplace_back();  // set field by field: cheaper than copying one made
    cell.column = column;
    cell.text = text;
    cell.number = number;
  };
  std::vector<std::string> headers(list.ColumnHeaderCount());
  for (std::size_t column = 0; column < headers.size(); ++column) {
    headers[column] = list.ColumnHeaderText(column);
    add(column, headers[column], false);
  }
  row_done(0, std::span<const RowCell>(cells));
  ItemCells item_cells(list);
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    cells.clear();
    const std::vector<std::string_view>& texts = item_cells.Read(item);
    for (std::size_t column = 0; column < texts.size(); ++column) add(column, texts[column], true);
    row_done(item + 1, std::span<const RowCell>(cells));
  }
}

// A form's bytes gathered and handed to the writer in pieces of about 64 KiB, so a form is never
// held whole on its way to the clipboard. The writer is told about how large the whole form will
// be with the first piece, and again whenever the rows so far foretell more: their bytes a row
// times the form's `rows`, with half as much again, as later rows take more digits to number.
class PiecewiseForm : public ByteBuffer {
 public:
  PiecewiseForm(const platform::ClipboardWriter& write, std::size_t rows)
      : ByteBuffer(kPieceSize * 2,
                   [this](std::string& bytes, std::size_t used) {
                     Write(std::string_view(bytes.data(), used));
                   }),
        write_(write),
        rows_(rows) {}

  // Ends a row, and hands on what is gathered once there is a piece of it.
  void Next() {
    ++rows_done_;
    if (used() >= kPieceSize) HandOn();
  }

 private:
  static constexpr std::size_t kPieceSize = std::size_t{1} << 16;

  void Write(std::string_view piece);

  const platform::ClipboardWriter& write_;
  std::size_t rows_;
  std::size_t rows_done_ = 0;
  std::size_t written_ = 0;   // with the piece being handed on
  std::size_t expected_ = 0;  // the last size the writer was told
};

}  // namespace exporter
