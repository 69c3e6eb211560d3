#include "export/file_formats.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <functional>
#include <memory>
#include <system_error>

#include "platform/run_time_error.h"

namespace exporter {
namespace {

void AppendCsvField(std::string& line, const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    line += field;
    return;
  }
  line += '"';
  for (const char c : field) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

// A plain decimal: optional "-", digits, optionally "." and digits.
bool IsPlainDecimal(std::string_view text) {
  std::size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
  const std::size_t integer_start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == integer_start) return false;
  if (i == text.size()) return true;
  if (text[i] != '.') return false;
  const std::size_t fraction_start = ++i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i == text.size() && i > fraction_start;
}

// Whether `text` holds "_x", then four hexadecimal digits and "_", at `at`: the form in which a
// workbook escapes a character.
bool EscapeAt(std::string_view text, std::size_t at) {
  if (text.size() - at < 7 || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_') {
    return false;
  }
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    if (std::isxdigit(static_cast<unsigned char>(text[i])) == 0) return false;
  }
  return true;
}

// The text a workbook cell is given for `text`, which every spreadsheet reads back as `text`.
// Cell text is XML, which holds no NUL byte: a NUL is written as the workbook's escape "_x0000_"
// (the library writes the other control characters in the same way). A text that already looks
// like such an escape has its "_" written as "_x005F_", so it is not read as one.
std::string CellText(std::string_view text) {
  std::string cell;
  cell.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\0') {
      cell += "_x0000_";
    } else if (EscapeAt(text, i)) {
      cell += "_x005F_";
    } else {
      cell += text[i];
    }
  }
  return cell;
}

bool NeedsEscapes(std::string_view text) {
  return text.find('\0') != std::string_view::npos || text.find("_x") != std::string_view::npos;
}

platform::RunTimeError WriteError(const std::string& path, const std::string& reason) {
  return platform::RunTimeError(platform::error::kPathFileAccess,
                                "cannot write the workbook '" + path + "': " + reason + ".");
}

}  // namespace

std::string BuildCsvText(const platform::ListView& list) {
  std::string text;
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    if (column > 0) text += ',';
    AppendCsvField(text, list.ColumnHeaderText(column));
  }
  text += "\r\n";
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    AppendCsvField(text, list.ItemText(item));
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      text += ',';
      AppendCsvField(text, list.SubItemText(item, sub));
    }
    text += "\r\n";
  }
  return text;
}

namespace {

// A plain decimal that is its own shortest form with at most 15 digits, written without an
// exponent by the 15-digit general form: no leading zero but a lone "0" before the point, no
// trailing zero after it, and no more than three zeros after "0.". Every such text comes back
// from its nearest double unchanged, so it needs no check by writing the double again.
bool IsShortExactDecimal(std::string_view text) {
  std::size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
  const std::size_t integer_start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  const std::size_t integer_digits = i - integer_start;
  if (integer_digits == 0 || (integer_digits > 1 && text[integer_start] == '0')) return false;
  if (i == text.size()) return integer_digits <= 15;
  if (text[i] != '.' || text.back() == '0') return false;
  const std::size_t fraction_start = ++i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i != text.size() || i == fraction_start) return false;
  std::size_t digits = integer_digits + (i - fraction_start);
  if (text[integer_start] == '0') {
    std::size_t zeros = 0;
    while (text[fraction_start + zeros] == '0') ++zeros;
    if (zeros > 3) return false;
    digits -= 1 + zeros;  // leading zeros are not significant
  }
  return digits <= 15;
}

// Characters, not bytes, of a UTF-8 text.
std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

// The worksheet as a spreadsheet user finds it ready: each column as wide as its longest text,
// header included, so no date shows cut short; the header row frozen above the rows as they
// scroll. Returns the header row's format, bold.
lxw_format* SetUpSheet(lxw_workbook* workbook, lxw_worksheet* sheet, const platform::ListView& list,
                       std::size_t columns, const std::function<void(lxw_error)>& check) {
  std::vector<std::size_t> longest(columns);
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    longest[column] = CharacterCount(list.ColumnHeaderText(column));
  }
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    longest[0] = std::max(longest[0], CharacterCount(list.ItemText(item)));
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      longest[sub + 1] = std::max(longest[sub + 1], CharacterCount(list.SubItemText(item, sub)));
    }
  }
  // A width counts characters of the default font; two more leave room for the bold header and
  // the cell's margins. A worksheet's columns are at most 255 wide.
  constexpr double kMargin = 2;
  constexpr double kWidest = 255;
  for (std::size_t column = 0; column < columns; ++column) {
    if (longest[column] == 0) continue;
    const double width = std::min(static_cast<double>(longest[column]) + kMargin, kWidest);
    const auto at = static_cast<lxw_col_t>(column);
    check(worksheet_set_column(sheet, at, at, width, nullptr));
  }
  worksheet_freeze_panes(sheet, 1, 0);
  lxw_format* bold = workbook_add_format(workbook);
  if (bold != nullptr) format_set_bold(bold);
  return bold;
}

}  // namespace

std::optional<double> ExactNumber(std::string_view text) {
  if (!IsPlainDecimal(text)) return std::nullopt;
  double value = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
  if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size()) return std::nullopt;
  if (IsShortExactDecimal(text)) return value;
  // A spreadsheet keeps 15 significant digits, and every decimal of 15 digits or fewer comes back
  // from its nearest double unchanged. The text must also be the shortest form, so "12.50" and
  // "007" stay texts as they are.
  char shown[64];
  const auto written =
      std::to_chars(shown, shown + sizeof shown, value, std::chars_format::general, 15);
  if (written.ec != std::errc()) return std::nullopt;
  if (std::string_view(shown, static_cast<std::size_t>(written.ptr - shown)) != text) {
    return std::nullopt;
  }
  return value;
}

void WriteXlsxFile(const platform::ListView& list, const std::string& path) {
  if (list.ItemCount() >= kSheetRows) {
    throw platform::RunTimeError(platform::error::kOverflow,
                                 std::to_string(list.ItemCount()) +
                                     " records do not fit one worksheet. Export fewer days at a "
                                     "time.");
  }
  std::size_t columns = list.ColumnHeaderCount();
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    columns = std::max(columns, list.SubItemCount(item) + 1);
  }
  if (columns > kSheetColumns) {
    throw platform::RunTimeError(platform::error::kOverflow,
                                 std::to_string(columns) + " columns do not fit one worksheet.");
  }

  auto check = [&](lxw_error status) {
    if (status != LXW_NO_ERROR) throw WriteError(path, lxw_strerror(status));
  };
  // Rows go to disk as they are written, so a large list needs little memory.
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  auto close = [](lxw_workbook* workbook) { workbook_close(workbook); };
  std::unique_ptr<lxw_workbook, decltype(close)> workbook(workbook_new_opt(path.c_str(), &options),
                                                          close);
  if (!workbook) throw WriteError(path, "the workbook could not be created");
  lxw_worksheet* sheet = workbook_add_worksheet(workbook.get(), nullptr);
  if (sheet == nullptr) throw WriteError(path, "the worksheet could not be added");

  lxw_format* header_format = SetUpSheet(workbook.get(), sheet, list, columns, check);

  std::vector<char> number_columns(list.ColumnHeaderCount());
  for (std::size_t column = 0; column < number_columns.size(); ++column) {
    number_columns[column] = list.ColumnHeaderKind(column) == platform::ColumnKind::kNumber;
  }
  auto write = [&](std::size_t row, std::size_t column, const std::string& text) {
    const auto cell_row = static_cast<lxw_row_t>(row);
    const auto cell_column = static_cast<lxw_col_t>(column);
    if (text.empty()) return;
    if (column < number_columns.size() && number_columns[column] != 0) {
      if (const std::optional<double> number = ExactNumber(text)) {
        check(worksheet_write_number(sheet, cell_row, cell_column, *number, nullptr));
        return;
      }
    }
    if (!NeedsEscapes(text)) {
      check(worksheet_write_string(sheet, cell_row, cell_column, text.c_str(), nullptr));
    } else {
      check(worksheet_write_string(sheet, cell_row, cell_column, CellText(text).c_str(), nullptr));
    }
  };

  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    check(worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(column),
                                 CellText(list.ColumnHeaderText(column)).c_str(), header_format));
  }
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    write(item + 1, 0, list.ItemText(item));
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      write(item + 1, sub + 1, list.SubItemText(item, sub));
    }
  }
  check(workbook_close(workbook.release()));
}

}  // namespace exporter
