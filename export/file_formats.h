// The list written as a file for a spreadsheet: comma-separated text or an .xlsx workbook. The
// tab-separated export text is in export_text.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/list_view.h"
#include "platform/run_time_error.h"

namespace exporter {

// Rows and columns a worksheet holds, the header row included.
inline constexpr std::size_t kSheetRows = 1048576;
inline constexpr std::size_t kSheetColumns = 16384;

// The list as comma-separated text: the header line, then one line per item, every line ending
// in "\r\n". A field holding a comma, a double quote, a CR or an LF is put in double quotes with
// its double quotes doubled; every other field is copied as it is, blanks included.
std::string BuildCsvText(const platform::ListView& list);

// The number a cell can hold for `text` when a spreadsheet shows it as exactly the same text: a
// plain decimal in its shortest form ("-12.5", "3", "0.125") of at most 15 significant digits.
// Anything else ("12.50", "007", blanks, "1e3", ".5", "", more digits than a double keeps)
// gives nullopt.
std::optional<double> ExactNumber(std::string_view text);

// The number a cell of a column of `kind` holds for `text`: ExactNumber's for a number column;
// for a two-decimal column the same after its trailing zeros ("12.50" is 12.5, "0.00" is 0);
// nullopt for a text column.
std::optional<double> CellNumber(platform::ColumnKind kind, std::string_view text);

// The text of the number a cell of a column of `kind` holds for `text`, as a workbook stores it:
// the text itself, which is the number's shortest form, or a two-decimal column's without its
// trailing zeros; empty when the cell holds text.
std::string_view CellNumberText(platform::ColumnKind kind, std::string_view text);

// Writes the list to `path` as a workbook with one sheet: a header row of the column headers,
// then one row per item. A cell of a number column is stored as a number when ExactNumber
// accepts its text; every other cell is stored as text, so "00123" and "2081/01/05" stay as they
// are; an empty text leaves its cell empty. Throws RunTimeError 6 when the list has more rows or
// columns than a sheet holds, 75 when the file cannot be written, naming `destination` (where the
// file is bound for, when `path` is a file made for it) or else `path`.
void WriteXlsxFile(const platform::ListView& list, const std::string& path,
                   const std::string& destination = {});

// The name of the records' sheet beside a summary.
inline constexpr char kRecordsSheet[] = "Records";

// A sheet of a workbook of several: its name and list, whether its last row is a total row, and
// the rows of its title, each a text in the first column above the header row (the first in
// bold), which leave the columns' widths to the list's texts.
struct NamedSheet {
  std::string name;
  const platform::ListView* list;
  bool totals;
  std::vector<std::string> title;
};

// Writes each of `sheets` in turn as a sheet of one workbook: its title rows, then the list as
// WriteXlsxFile writes it, the header row bold and frozen above the rows as they scroll, the
// two-decimal columns with two decimals shown, each column as wide as its longest text; with
// `totals`, the last row bold too. Throws as WriteXlsxFile does, 6 also when a title row is
// longer than a cell holds; nothing is written then.
void WriteSheetsXlsxFile(const std::vector<NamedSheet>& sheets, const std::string& path,
                         const std::string& destination = {});

}  // namespace exporter
