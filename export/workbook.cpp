// The workbook (.xlsx) written by the program itself: each sheet's XML made row by row and
// deflated into the zip as it grows, so a list of any length needs little memory, then the small
// parts that name the sheets and their cell formats.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/byte_writer.h"
#include "export/cell_xml.h"
#include "export/file_formats.h"
#include "export/item_cells.h"
#include "export/workbook_parts.h"
#include "export/zip_file.h"
#include "platform/run_time_error.h"

namespace exporter {
namespace {

// The UTF-16 units of a cell's UTF-8 text, as a cell's length is counted.
std::size_t CellUnits(std::string_view cell_text) {
  std::size_t units = 0;
  for (const char c : cell_text) {
    const auto byte = static_cast<unsigned char>(c);
    units += (byte & 0xC0) != 0x80 ? (byte >= 0xF0 ? 2 : 1) : 0;
  }
  return units;
}

// Throws 6, naming the record and the column, when the text a cell is given is longer than a cell
// holds.
void CheckCellLength(std::string_view cell_text, const platform::ListView& list, std::size_t item,
                     std::size_t column) {
  if (cell_text.size() <= kCellCharacters) return;  // never more units than UTF-8 bytes
  const std::size_t units = CellUnits(cell_text);
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
  while (!reason.empty() && reason.back() == '.')
    reason.pop_back();  // a reason given may end in one
  return platform::RunTimeError(platform::error::kPathFileAccess,
                                "cannot write the workbook '" + path + "': " + reason + ".");
}

// Throws 6 when the list under `title_rows` rows of title does not fit one sheet.
void CheckSheetSize(const platform::ListView& list, std::size_t title_rows) {
  if (list.ItemCount() + title_rows >= kSheetRows) {
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

// Throws 6 for a title row longer than a cell holds.
void CheckTitle(const std::vector<std::string>& title) {
  for (const std::string& row : title) {
    const std::size_t units = CellUnits(NeedsEscapes(row) ? CellText(row) : row);
    if (units <= kCellCharacters) continue;
    throw platform::RunTimeError(platform::error::kOverflow,
                                 "a sheet's title of " + std::to_string(units) +
                                     " characters does not fit a worksheet cell, which holds at "
                                     "most " +
                                     std::to_string(kCellCharacters) + ".");
  }
}

void AppendNumber(std::string& out, std::uint64_t number) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  out.append(digits, end);
}

// A column's letters: A to Z, then AA, AB and so on.
std::string ColumnName(std::size_t column) {
  std::string name;
  for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26) {
    name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  }
  return name;
}

// The XML of a part is handed to the zip in blocks of about this many bytes.
constexpr std::size_t kXmlBlock = 1 << 20;  // the zip's block, handed over without a copy

// A cell's XML takes at most this many bytes besides its text's, a row's besides its cells'.
constexpr std::size_t kCellBytes = 96;
constexpr std::size_t kRowBytes = 32;

// A cell's look: its index among the workbook's cell formats.
enum Style : int { kPlain = 0, kBold = 1, kTwoDecimals = 2, kBoldTwoDecimals = 3 };

// A workbook being written to its file, its sheets' rows deflated as they are written, so a large
// list needs little memory. Its failures name `shown`, where the file is bound for.
class Workbook {
 public:
  Workbook(const std::string& path, const std::string& shown) : shown_(shown), zip_(path, shown) {}

  // Writes the list into a new sheet `name` (null: "Sheet1") under the rows of `title`, its
  // header row bold. With `totals`, the last row, a total row, is bold too.
  void WriteSheet(const char* name, const platform::ListView& list, bool totals,
                  const std::vector<std::string>& title);

  // Writes the parts that name the sheets and closes the file. Throws 75.
  void Close();

 private:
  // The start of the cell at `column` of the current row, up to its type.
  void PutCellStart(ByteWriter& out, std::size_t column, Style style) const;
  void PutTextCell(ByteWriter& out, std::size_t column, std::string_view text, Style style) const;
  // The row `row_number_` of one text in its first cell.
  void PutTitleRow(std::string_view text, Style style);
  void PutHeaderRow(const platform::ListView& list);
  // The row of `item`, whose cells hold `texts`.
  void PutItemRow(const platform::ListView& list, std::size_t item,
                  const std::vector<std::string_view>& texts,
                  const std::vector<platform::ColumnKind>& kinds, bool bold);

  std::string shown_;
  ZipFile zip_;
  std::vector<std::string> sheets_;
  // The sheet's XML not yet handed to the zip, handed over without a copy in blocks of a block or
  // more: room for a block and a row or two more.
  ByteBuffer xml_{kXmlBlock + kXmlBlock / 16, [this](std::string& xml, std::size_t used) {
                    xml.resize(used);
                    zip_.WriteAndEmpty(xml);
                  }};
  std::vector<std::string> column_names_;  // of the sheet's columns
  std::string row_number_;                 // of the current row, from 1
  std::size_t header_row_ = 1;             // the header row's number, below the title rows
};

// What a sheet's XML needs before its rows: the longest text of each column, header included, in
// characters (a column is made as wide, so no date shows cut short), and a bound on its bytes.
struct SheetPlan {
  std::vector<std::size_t> longest;
  std::uint64_t most_bytes = 0;
};

SheetPlan PlanSheet(const platform::ListView& list, const std::vector<std::string>& title) {
  SheetPlan plan;
  std::vector<std::size_t>& longest = plan.longest;
  longest.resize(list.ColumnHeaderCount());
  std::uint64_t text_bytes = 0;
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    const std::string text = list.ColumnHeaderText(column);
    longest[column] = CharacterCount(text);
    text_bytes += text.size();
  }
  std::uint64_t cells = list.ColumnHeaderCount();
  ItemCells item_cells(list);
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    const std::vector<std::string_view>& texts = item_cells.Read(item);
    if (longest.size() < texts.size()) longest.resize(texts.size());
    for (std::size_t column = 0; column < texts.size(); ++column) {
      longest[column] = std::max(longest[column], CharacterCount(texts[column]));
      text_bytes += texts[column].size();
    }
    cells += texts.size();
  }
  for (const std::string& row : title) text_bytes += row.size();
  cells += title.size();
  plan.most_bytes = XmlBound(text_bytes) + cells * kCellBytes +
                    (list.ItemCount() + 1 + title.size()) * kRowBytes + (longest.size() + 1) * 128 +
                    4096;
  return plan;
}

// The start of a sheet's XML, up to its rows: its extent, the title rows and the header row below
// them frozen above the rows as they scroll, and each column as wide as its longest text.
std::string SheetStart(const SheetPlan& plan, std::size_t items, std::size_t title_rows,
                       bool selected) {
  const std::size_t columns = plan.longest.size();
  const std::size_t rows = title_rows + 1 + items;
  std::string xml = kXmlDeclaration;
  xml += "<worksheet xmlns=\"";
  xml += kMainNamespace;
  xml += "\" xmlns:r=\"";
  xml += kRelationshipsNamespace;
  xml += "\"><dimension ref=\"A1";
  if (columns > 1 || rows > 1) {
    xml += ':';
    xml += ColumnName(columns > 0 ? columns - 1 : 0);
    AppendNumber(xml, rows);
  }
  xml += "\"/><sheetViews><sheetView ";
  if (selected) xml += "tabSelected=\"1\" ";
  xml += "workbookViewId=\"0\"><pane ySplit=\"";
  AppendNumber(xml, title_rows + 1);
  xml += "\" topLeftCell=\"A";
  AppendNumber(xml, title_rows + 2);
  xml +=
      "\" activePane=\"bottomLeft\" state=\"frozen\"/><selection pane=\"bottomLeft\"/>"
      "</sheetView></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>";
  // A width counts characters of the default font; two more leave room for the bold header and
  // the cell's margins. A worksheet's columns are at most 255 wide. The stored width adds the
  // cell's padding, 5 pixels of a 7-pixel character, in 256ths.
  constexpr std::size_t kMargin = 2;
  constexpr std::size_t kWidest = 255;
  bool any_width = false;
  for (std::size_t column = 0; column < columns; ++column) {
    if (plan.longest[column] == 0) continue;
    xml += any_width ? "<col min=\"" : "<cols><col min=\"";
    any_width = true;
    AppendNumber(xml, column + 1);
    xml += "\" max=\"";
    AppendNumber(xml, column + 1);
    xml += "\" width=\"";
    AppendNumber(xml, std::min(plan.longest[column] + kMargin, kWidest));
    xml += ".7109375\" customWidth=\"1\"/>";
  }
  if (any_width) xml += "</cols>";
  xml += "<sheetData>";
  return xml;
}

// Every cell names its place: Gnumeric reads no cell without one.
void Workbook::PutCellStart(ByteWriter& out, std::size_t column, Style style) const {
  out.Put("<c r=\"");
  out.Put(column_names_[column]);
  out.Put(row_number_);
  out.Put('"');
  if (style != kPlain) {
    out.Put(" s=\"");
    out.Put(static_cast<char>('0' + style));
    out.Put('"');
  }
}

// A text is written in its cell: a table of shared texts (member codes, dates and shifts repeat)
// made neither the file smaller nor the export faster, zlib finding the repeats itself.
void Workbook::PutTextCell(ByteWriter& out, std::size_t column, std::string_view text,
                           Style style) const {
  PutCellStart(out, column, style);
  out.Put(" t=\"inlineStr\"><is>");
  PutTextElement(out, text);
  out.Put("</is></c>");
}

void Workbook::PutTitleRow(std::string_view text, Style style) {
  ByteWriter out = xml_.Room(2 * kRowBytes + kCellBytes + XmlBound(text.size()));
  out.Put("<row r=\"");
  out.Put(row_number_);
  out.Put("\">");
  if (!text.empty()) PutTextCell(out, 0, text, style);
  out.Put("</row>");
  xml_.Done(out);
}

void Workbook::PutHeaderRow(const platform::ListView& list) {
  row_number_ = std::to_string(header_row_);
  ByteWriter row = xml_.Room(kRowBytes);
  row.Put("<row r=\"");
  row.Put(row_number_);
  row.Put("\">");
  xml_.Done(row);
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    const std::string header = list.ColumnHeaderText(column);
    if (CharacterCount(header) > kCellCharacters) {
      throw WriteError(shown_, "String exceeds Excel's limit of 32,767 characters");
    }
    ByteWriter out = xml_.Room(kCellBytes + XmlBound(header.size()));
    if (header.empty()) {
      PutCellStart(out, column, kBold);  // a blank cell, bold when a text is typed into it
      out.Put("/>");
    } else {
      PutTextCell(out, column, header, kBold);
    }
    xml_.Done(out);
  }
  row = xml_.Room(kRowBytes);
  row.Put("</row>");
  xml_.Done(row);
}

void Workbook::PutItemRow(const platform::ListView& list, std::size_t item,
                          const std::vector<std::string_view>& texts,
                          const std::vector<platform::ColumnKind>& kinds, bool bold) {
  char digits[24];
  row_number_.assign(digits,
                     std::to_chars(digits, digits + sizeof digits, header_row_ + 1 + item).ptr);
  ByteWriter row = xml_.Room(kRowBytes);
  row.Put("<row r=\"");
  row.Put(row_number_);
  row.Put("\">");
  xml_.Done(row);
  for (std::size_t column = 0; column < texts.size(); ++column) {
    const std::string_view text = texts[column];
    if (text.empty()) continue;
    const platform::ColumnKind kind =
        column < kinds.size() ? kinds[column] : platform::ColumnKind::kText;
    const std::string_view number = CellNumberText(kind, text);
    ByteWriter out = xml_.Room(kCellBytes + XmlBound(text.size()));
    if (!number.empty()) {
      const bool two_decimals = kind == platform::ColumnKind::kTwoDecimals;
      PutCellStart(out, column,
                   bold ? (two_decimals ? kBoldTwoDecimals : kBold)
                        : (two_decimals ? kTwoDecimals : kPlain));
      out.Put("><v>");
      out.Put(number);
      out.Put("</v></c>");
    } else {
      // No text of fewer bytes can pass the cell's limit, even with every byte escaped.
      if (text.size() > kCellCharacters / 7) {
        CheckCellLength(NeedsEscapes(text) ? CellText(text) : std::string(text), list, item,
                        column);
      }
      PutTextCell(out, column, text, bold ? kBold : kPlain);
    }
    xml_.Done(out);
  }
  row = xml_.Room(kRowBytes);
  row.Put("</row>");
  xml_.Done(row);
}

void Workbook::WriteSheet(const char* name, const platform::ListView& list, bool totals,
                          const std::vector<std::string>& title) {
  const SheetPlan plan = PlanSheet(list, title);
  sheets_.push_back(name != nullptr ? name : "Sheet1");
  zip_.StartEntry("xl/worksheets/sheet" + std::to_string(sheets_.size()) + ".xml", plan.most_bytes);

  // The title's texts stand in the first column, of a list without columns too.
  column_names_.resize(std::max<std::size_t>(plan.longest.size(), 1));
  for (std::size_t column = 0; column < column_names_.size(); ++column) {
    column_names_[column] = ColumnName(column);
  }
  const std::string start = SheetStart(plan, list.ItemCount(), title.size(), sheets_.size() == 1);
  ByteWriter out = xml_.Room(start.size());
  out.Put(start);
  xml_.Done(out);
  for (std::size_t row = 0; row < title.size(); ++row) {
    row_number_ = std::to_string(row + 1);
    PutTitleRow(title[row], row == 0 ? kBold : kPlain);
  }
  header_row_ = title.size() + 1;
  PutHeaderRow(list);
  std::vector<platform::ColumnKind> kinds(list.ColumnHeaderCount());
  for (std::size_t column = 0; column < kinds.size(); ++column) {
    kinds[column] = list.ColumnHeaderKind(column);
  }
  ItemCells item_cells(list);
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    PutItemRow(list, item, item_cells.Read(item), kinds, totals && item + 1 == list.ItemCount());
  }
  constexpr std::string_view kSheetEnd =
      "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
      "header=\"0.3\" footer=\"0.3\"/></worksheet>";
  out = xml_.Room(kSheetEnd.size());
  out.Put(kSheetEnd);
  xml_.Done(out);
  xml_.HandOn();
}

void Workbook::Close() {
  for (const WorkbookPart& part : WorkbookParts(sheets_)) {
    zip_.StartEntry(part.name, part.xml.size());
    zip_.Write(part.xml);
  }
  zip_.Close();
}

}  // namespace

void WriteXlsxFile(const platform::ListView& list, const std::string& path,
                   const std::string& destination) {
  CheckSheetSize(list, 0);
  Workbook workbook(path, destination.empty() ? path : destination);
  workbook.WriteSheet(nullptr, list, false, {});
  workbook.Close();
}

void WriteSheetsXlsxFile(const std::vector<NamedSheet>& sheets, const std::string& path,
                         const std::string& destination) {
  for (const NamedSheet& sheet : sheets) {
    CheckSheetSize(*sheet.list, sheet.title.size());
    CheckTitle(sheet.title);
  }
  Workbook workbook(path, destination.empty() ? path : destination);
  for (const NamedSheet& sheet : sheets) {
    workbook.WriteSheet(sheet.name.c_str(), *sheet.list, sheet.totals, sheet.title);
  }
  workbook.Close();
}

}  // namespace exporter
