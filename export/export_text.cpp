#include "export/export_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>

#include "platform/run_time_error.h"

namespace exporter {
namespace {

// The text is handed on in pieces of about this size.
constexpr std::size_t kPieceSize = std::size_t{1} << 16;
// The rows whose size tells how much room the whole text will take.
constexpr std::size_t kSampledRows = 1000;

// A value as the plain text holds it: a tab, CR or LF in it becomes a blank, so that no value
// can end its row or its column early.
void AppendPlainValue(std::string_view text, std::string& out) {
  for (const char c : text) out += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
}

void AppendHeader(const platform::ListView& list, std::string& out) {
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    if (column > 0) out += '\t';
    AppendPlainValue(list.ColumnHeaderText(column), out);
  }
}

void AppendPlainRow(const platform::ListView& list, std::size_t item, std::string& out) {
  AppendPlainValue(list.ItemText(item), out);
  for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
    out += '\t';
    AppendPlainValue(list.SubItemText(item, sub), out);
  }
}

// How many bytes of `text` are below 0x0E, the tab, CR and LF among them. Rows are looked at
// eight bytes at a time: every row of a long list passes through here.
std::size_t LowBytes(std::string_view text) {
  constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F;
  constexpr std::uint64_t kPast = 0x7272727272727272;  // 0x80 - 0x0E in every byte
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  std::size_t count = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, 8);
    // A byte's top bit ends up set when the byte is 0x0E or more.
    const std::uint64_t low = ~(((word & kLowBits) + kPast) | word) & ~kLowBits;
    count += static_cast<std::size_t>(((low >> 7) * kOnes) >> 56);
  }
  for (; i < text.size(); ++i) count += static_cast<unsigned char>(text[i]) < 0x0E;
  return count;
}

}  // namespace

std::string BuildExportText(const platform::ListView& list) {
  CheckExportText(list);
  // Room for the whole text is made once, from the size of its first rows and half as much again:
  // growing a text of many megabytes copies it, while room never written takes no memory.
  std::string text;
  std::string sample;
  const std::size_t sampled = std::min<std::size_t>(list.ItemCount(), kSampledRows);
  for (std::size_t item = 0; item < sampled; ++item) list.AppendItemTexts(item, '\t', sample);
  if (sampled > 0) {
    const double per_row = static_cast<double>(sample.size()) / static_cast<double>(sampled) + 2;
    try {
      text.reserve(static_cast<std::size_t>(per_row * 1.5 * static_cast<double>(list.ItemCount())));
    } catch (const std::exception&) {
      // Too large a guess: the text grows as it comes instead.
    }
  }
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
  // The rows of a piece are joined as the list gives them, and their bytes below 0x0E counted
  // once the piece is full: any beyond the separators and line ends means a value holds a tab,
  // CR or LF (or another such byte), and the piece's rows are written again value by value.
  std::size_t rows_at = piece.size();
  std::size_t first_row = 0;
  std::size_t separators = 0;
  auto flush = [&](std::size_t end_row) {
    if (LowBytes(std::string_view(piece).substr(rows_at)) != separators) {
      piece.resize(rows_at);
      for (std::size_t item = first_row; item < end_row; ++item) {
        if (item > 0) piece += "\r\n";
        AppendPlainRow(list, item, piece);
      }
    }
    write(piece);
    piece.clear();
    rows_at = 0;
    first_row = end_row;
    separators = 0;
  };
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    if (item > 0) {
      piece += "\r\n";
      separators += 2;
    }
    list.AppendItemTexts(item, '\t', piece);
    separators += list.SubItemCount(item);
    if (piece.size() >= kPieceSize) flush(item + 1);
  }
  if (!piece.empty()) flush(list.ItemCount());
}

}  // namespace exporter
