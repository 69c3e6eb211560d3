#include "export/export_text.h"

#include <cstdint>
#include <limits>

#include "platform/run_time_error.h"

namespace exporter {
namespace {

// The text is handed on in pieces of about this size.
constexpr std::size_t kPieceSize = std::size_t{1} << 16;

template <typename Counter>
void Increment(Counter& counter) {
  if (counter == std::numeric_limits<Counter>::max()) throw platform::RunTimeError::Overflow();
  ++counter;
}

void AppendHeader(const platform::ListView& list, std::string& out) {
  std::int16_t column_count = 0;
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    Increment(column_count);
    if (column_count > 1) out += '\t';
    out += list.ColumnHeaderText(column);
  }
}

}  // namespace

std::string BuildExportText(const platform::ListView& list) {
  std::string rows;
  std::int32_t row_count = 0;
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    Increment(row_count);
    if (row_count > 1) rows += "\r\n";
    list.AppendItemTexts(item, '\t', rows);
  }

  std::string header;
  AppendHeader(list, header);
  return header + "\r\n" + rows;
}

void WriteExportText(const platform::ListView& list,
                     const std::function<void(std::string_view)>& write) {
  if (list.ItemCount() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
      list.ColumnHeaderCount() >
          static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
    throw platform::RunTimeError::Overflow();
  }
  std::string piece;
  piece.reserve(kPieceSize * 2);
  AppendHeader(list, piece);
  piece += "\r\n";
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    if (item > 0) piece += "\r\n";
    list.AppendItemTexts(item, '\t', piece);
    if (piece.size() >= kPieceSize) {
      write(piece);
      piece.clear();
    }
  }
  if (!piece.empty()) write(piece);
}

}  // namespace exporter
