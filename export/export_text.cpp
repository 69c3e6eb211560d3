#include "export/export_text.h"

#include <cstdint>
#include <limits>

#include "platform/run_time_error.h"

namespace exporter {
namespace {

// The text is handed on in pieces of about this size.
constexpr std::size_t kPieceSize = std::size_t{1} << 16;

void AppendHeader(const platform::ListView& list, std::string& out) {
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    if (column > 0) out += '\t';
    out += list.ColumnHeaderText(column);
  }
}

}  // namespace

std::string BuildExportText(const platform::ListView& list) {
  std::string text;
  WriteExportText(list, [&text](std::string_view piece) { text += piece; });
  return text;
}

void CheckExportText(const platform::ListView& list) {
  // The row counter is 32 bits and the column counter 16, each checked: past them nothing is
  // made.
  if (list.ItemCount() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
      list.ColumnHeaderCount() >
          static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
    throw platform::RunTimeError::Overflow();
  }
}

void WriteExportText(const platform::ListView& list,
                     const std::function<void(std::string_view)>& write) {
  CheckExportText(list);
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
