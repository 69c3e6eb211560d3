#include "export/file_formats.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <memory>
#include <system_error>

#include "platform/system/output_file.h"
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

// The most characters a worksheet cell holds, counted in UTF-16 units as spreadsheets count them.
constexpr std::size_t kCellCharacters = 32767;

// Throws 6, naming the record and the column, when the text a cell is given is longer than a cell
// holds.
void CheckCellLength(std::string_view cell_text, const platform::ListView& list, std::size_t item,
                     std::size_t column) {
  if (cell_text.size() <= kCellCharacters) return;  // never more units than UTF-8 bytes
  std::size_t units = 0;
  for (const char c : cell_text) {
    const auto byte = static_cast<unsigned char>(c);
    units += (byte & 0xC0) != 0x80 ? (byte >= 0xF0 ? 2 : 1) : 0;
  }
  if (units <= kCellCharacters) return;
  const std::string name = column < list.ColumnHeaderCount() ? list.ColumnHeaderText(column)
                                                             : std::to_string(column + 1);
  throw platform::RunTimeError(platform::error::kOverflow,
                               "the text of record " + std::to_string(item + 1) + " in column " +
                                   name + " is " + std::to_string(units) +
                                   " characters long in a workbook, and a worksheet cell holds at "
                                   "most " +
                                   std::to_string(kCellCharacters) + ". Export it as tsv or csv.");
}

platform::RunTimeError WriteError(const std::string& path, std::string reason) {
  while (!reason.empty() && reason.back() == '.') reason.pop_back();  // the library's texts end in one
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

std::optional<double> CellNumber(platform::ColumnKind kind, std::string_view text) {
  if (kind == platform::ColumnKind::kText) return std::nullopt;
  if (kind == platform::ColumnKind::kTwoDecimals && text.find('.') != std::string_view::npos) {
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
  }
  return ExactNumber(text);
}

namespace {

void CheckSheetSize(const platform::ListView& list) {
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
}

// A workbook being written to its file, its rows going to disk as they are written, so a large
// list needs little memory. Its failures name `shown`, where the file is bound for. The library
// prints its failures itself; they are told once, by the error thrown here.
class Workbook {
 public:
  Workbook(const std::string& path, const std::string& shown) : path_(shown) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    workbook_.reset(workbook_new_opt(path.c_str(), &options));
    if (!workbook_) throw WriteError(path_, "the workbook could not be created");
  }

  void Check(lxw_error status) const {
    if (status != LXW_NO_ERROR) throw WriteError(path_, lxw_strerror(status));
  }

  lxw_worksheet* AddSheet(const char* name) {
    lxw_worksheet* sheet = workbook_add_worksheet(workbook_.get(), name);
    if (sheet == nullptr) throw WriteError(path_, "the worksheet could not be added");
    return sheet;
  }

  // `bold` in bold, `two_decimals` with the number format "0.00"; null when neither is asked.
  lxw_format* Format(bool bold, bool two_decimals) {
    if (!bold && !two_decimals) return nullptr;
    lxw_format*& format = formats_[(bold ? 1 : 0) + (two_decimals ? 2 : 0)];
    if (format == nullptr) {
      format = workbook_add_format(workbook_.get());
      if (format == nullptr) throw WriteError(path_, "a cell format could not be added");
      if (bold) format_set_bold(format);
      if (two_decimals) format_set_num_format(format, "0.00");
    }
    return format;
  }

  // The file is written here: a failure of the system's (a full disk) is said in its words.
  void Close() {
    errno = 0;
    const lxw_error closed = workbook_close(workbook_.release());
    if (closed == LXW_ERROR_ZIP_FILE_OPERATION && errno != 0) {
      throw WriteError(path_, std::generic_category().message(errno));
    }
    Check(closed);
  }

 private:
  struct Closer {
    void operator()(lxw_workbook* workbook) const { workbook_close(workbook); }
  };
  const platform::StandardErrorSilenced silenced_;
  std::string path_;
  std::unique_ptr<lxw_workbook, Closer> workbook_;
  lxw_format* formats_[4] = {};
};

// The worksheet as a spreadsheet user finds it ready: each column as wide as its longest text,
// header included, so no date shows cut short; the header row frozen above the rows as they
// scroll.
void SetUpSheet(Workbook& workbook, lxw_worksheet* sheet, const platform::ListView& list) {
  std::vector<std::size_t> longest(list.ColumnHeaderCount());
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    longest[column] = CharacterCount(list.ColumnHeaderText(column));
  }
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    if (longest.size() < list.SubItemCount(item) + 1) longest.resize(list.SubItemCount(item) + 1);
    longest[0] = std::max(longest[0], CharacterCount(list.ItemText(item)));
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      longest[sub + 1] = std::max(longest[sub + 1], CharacterCount(list.SubItemText(item, sub)));
    }
  }
  // A width counts characters of the default font; two more leave room for the bold header and
  // the cell's margins. A worksheet's columns are at most 255 wide.
  constexpr double kMargin = 2;
  constexpr double kWidest = 255;
  for (std::size_t column = 0; column < longest.size(); ++column) {
    if (longest[column] == 0) continue;
    const double width = std::min(static_cast<double>(longest[column]) + kMargin, kWidest);
    const auto at = static_cast<lxw_col_t>(column);
    workbook.Check(worksheet_set_column(sheet, at, at, width, nullptr));
  }
  worksheet_freeze_panes(sheet, 1, 0);
}

// Writes the list into a new sheet `name` (null: the library's "Sheet1"), its header row bold.
// With `totals`, the last row, a total row, is bold too.
void WriteSheet(Workbook& workbook, const char* name, const platform::ListView& list, bool totals) {
  lxw_worksheet* sheet = workbook.AddSheet(name);
  SetUpSheet(workbook, sheet, list);
  std::vector<platform::ColumnKind> kinds(list.ColumnHeaderCount());
  for (std::size_t column = 0; column < kinds.size(); ++column) {
    kinds[column] = list.ColumnHeaderKind(column);
  }
  auto write = [&](std::size_t row, std::size_t column, const std::string& text, bool bold) {
    const auto cell_row = static_cast<lxw_row_t>(row);
    const auto cell_column = static_cast<lxw_col_t>(column);
    if (text.empty()) return;
    const platform::ColumnKind kind =
        column < kinds.size() ? kinds[column] : platform::ColumnKind::kText;
    if (const std::optional<double> number = CellNumber(kind, text)) {
      lxw_format* format = workbook.Format(bold, kind == platform::ColumnKind::kTwoDecimals);
      workbook.Check(worksheet_write_number(sheet, cell_row, cell_column, *number, format));
      return;
    }
    lxw_format* format = workbook.Format(bold, false);
    if (!NeedsEscapes(text)) {
      CheckCellLength(text, list, row - 1, column);
      workbook.Check(worksheet_write_string(sheet, cell_row, cell_column, text.c_str(), format));
    } else {
      const std::string cell = CellText(text);
      CheckCellLength(cell, list, row - 1, column);
      workbook.Check(worksheet_write_string(sheet, cell_row, cell_column, cell.c_str(), format));
    }
  };

  lxw_format* header_format = workbook.Format(true, false);
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    workbook.Check(worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(column),
                                          CellText(list.ColumnHeaderText(column)).c_str(),
                                          header_format));
  }
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    const bool bold = totals && item + 1 == list.ItemCount();
    write(item + 1, 0, list.ItemText(item), bold);
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      write(item + 1, sub + 1, list.SubItemText(item, sub), bold);
    }
  }
}

}  // namespace

void WriteXlsxFile(const platform::ListView& list, const std::string& path,
                   const std::string& destination) {
  CheckSheetSize(list);
  Workbook workbook(path, destination.empty() ? path : destination);
  WriteSheet(workbook, nullptr, list, false);
  workbook.Close();
}

void WriteSummaryXlsxFile(const platform::ListView& summary, const std::string& summary_name,
                          const platform::ListView& records, const std::string& path,
                          const std::string& destination) {
  CheckSheetSize(summary);
  CheckSheetSize(records);
  Workbook workbook(path, destination.empty() ? path : destination);
  WriteSheet(workbook, summary_name.c_str(), summary, true);
  WriteSheet(workbook, kRecordsSheet, records, false);
  workbook.Close();
}

}  // namespace exporter
