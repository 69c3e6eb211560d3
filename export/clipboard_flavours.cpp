#include "export/clipboard_flavours.h"

#include <algorithm>
#include <cstdint>

#include "export/file_formats.h"
#include "platform/run_time_error.h"

namespace exporter {
namespace {

// The list's cells read once, for every flavour: the header row, then a row per item.
struct Sheet {
  // Small, as a season's list has millions of cells: rows and columns are counted in 32 bits.
  struct Cell {
    std::size_t offset = 0;  // of its text in `texts`
    std::uint32_t size = 0;
    std::uint32_t row = 0;
    std::uint32_t column = 0;
    bool number = false;
  };

  std::size_t rows = 0;
  std::size_t columns = 0;  // the widest row's
  std::vector<Cell> cells;  // those with a text, row by row, each row from its left
  std::string texts;

  std::string_view Text(const Cell& cell) const { return {texts.data() + cell.offset, cell.size}; }
};

Sheet ReadSheet(const platform::ListView& list) {
  Sheet sheet;
  std::vector<char> numbers(list.ColumnHeaderCount());
  for (std::size_t column = 0; column < numbers.size(); ++column) {
    numbers[column] = list.ColumnHeaderKind(column) == platform::ColumnKind::kNumber;
  }
  auto add = [&](std::size_t row, std::size_t column, const std::string& text, bool may_be_number) {
    if (text.empty()) return;
    const bool number = may_be_number && column < numbers.size() && numbers[column] != 0 &&
                        ExactNumber(text).has_value();
    if (text.size() > UINT32_MAX) throw platform::RunTimeError::Overflow();
    sheet.cells.push_back({sheet.texts.size(), static_cast<std::uint32_t>(text.size()),
                           static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column),
                           number});
    sheet.texts += text;
  };

  const std::size_t items = list.ItemCount();
  if (items >= UINT32_MAX || list.ColumnHeaderCount() >= UINT32_MAX) {
    throw platform::RunTimeError::Overflow();
  }
  sheet.rows = items + 1;
  sheet.columns = list.ColumnHeaderCount();
  sheet.cells.reserve((items + 1) * std::max<std::size_t>(sheet.columns, 1));
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    add(0, column, list.ColumnHeaderText(column), false);
  }
  for (std::size_t item = 0; item < items; ++item) {
    add(item + 1, 0, list.ItemText(item), true);
    const std::size_t sub_items = list.SubItemCount(item);
    if (sub_items >= UINT32_MAX) throw platform::RunTimeError::Overflow();
    sheet.columns = std::max(sheet.columns, sub_items + 1);
    for (std::size_t sub = 0; sub < sub_items; ++sub) {
      add(item + 1, sub + 1, list.SubItemText(item, sub), true);
    }
  }
  return sheet;
}

void AppendNumber(std::size_t number, std::string& out) {
  char digits[20];
  char* start = digits + sizeof digits;
  do {
    *--start = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  out.append(start, digits + sizeof digits);
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

std::size_t Utf8Sequence(std::string_view text, std::size_t i, std::uint32_t& code);

// Whether the typed forms write U+FFFD for the sequence Utf8Sequence found: no UTF-8 (length 0),
// a control character other than the tab, U+FFFE or U+FFFF.
bool Unholdable(std::size_t length, std::uint32_t code) {
  return length == 0 || (code < 0x20 && code != '\t') || code == 0xFFFE || code == 0xFFFF;
}

// --- SYLK

constexpr std::string_view kSylkLineBreak = "\x1b :";

// What SYLK cannot hold is written as the markup forms write it, U+FFFD, so every typed form
// gives the same cells: a NUL would end the cell, and an ESC starts SYLK's own sequences. A tab,
// which Calc leaves out of a SYLK text, is U+FFFD too, so that nothing goes without a mark.
void AppendSylkText(std::string_view text, std::string& out) {
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == ';') {
      out += ";;";
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += kSylkLineBreak;
      ++i;
      continue;
    }
    std::uint32_t code = 0;
    const std::size_t length = Utf8Sequence(text, i, code);
    if (Unholdable(length, code) || c == '\t') {
      out += kReplacement;
      i += std::max<std::size_t>(length, 1);
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  out += '"';
}

std::string Sylk(const Sheet& sheet) {
  std::string out;
  out.reserve(sheet.texts.size() + sheet.cells.size() * 20 + 32);
  // This identification tells Calc that ";" is doubled inside texts and quotes are not.
  out += "ID;PCALCOOO32\r\n";
  for (const Sheet::Cell& cell : sheet.cells) {
    out += "C;X";
    AppendNumber(cell.column + 1, out);
    out += ";Y";
    AppendNumber(cell.row + 1, out);
    out += ";K";
    if (cell.number) {
      out += sheet.Text(cell);
    } else {
      AppendSylkText(sheet.Text(cell), out);
    }
    out += "\r\n";
  }
  out += "E\r\n";
  return out;
}

// --- XML and HTML text

// The length of the UTF-8 sequence that starts `text` at `i`, or 0 when the bytes there are not
// one; `code` gets its code point.
std::size_t Utf8Sequence(std::string_view text, std::size_t i, std::uint32_t& code) {
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char first = byte(i);
  std::size_t length = 0;
  if (first < 0x80) {
    code = first;
    return 1;
  }
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
    code = first & 0x1Fu;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    code = first & 0x0Fu;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    code = first & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3Fu);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// Escapes `text` for XML element content. `line_break` stands for CR LF, CR and LF alike when
// given; otherwise CR is written as a character reference and LF as it is.
void AppendMarkupText(std::string_view text, std::string_view line_break, std::string& out) {
  // Most texts are plain ASCII, copied as they are.
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != '&' && c != '<' && c != '>' && c != '"';
  });
  if (plain) {
    out += text;
    return;
  }
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    switch (c) {
      case '&':
        out += "&amp;";
        ++i;
        continue;
      case '<':
        out += "&lt;";
        ++i;
        continue;
      case '>':
        out += "&gt;";
        ++i;
        continue;
      case '"':
        out += "&quot;";
        ++i;
        continue;
      case '\r':
      case '\n':
        if (line_break.empty()) {
          out += c == '\r' ? "&#13;" : "\n";
        } else {
          if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
          out += line_break;
        }
        ++i;
        continue;
      default:
        break;
    }
    std::uint32_t code = 0;
    const std::size_t length = Utf8Sequence(text, i, code);
    // XML holds no other control characters, nor U+FFFE and U+FFFF, not even as references.
    if (Unholdable(length, code)) {
      out += kReplacement;
      i += std::max<std::size_t>(length, 1);
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
}

// --- Gnumeric

std::string GnumericRange(const Sheet& sheet) {
  std::string out;
  out.reserve(sheet.texts.size() + sheet.cells.size() * 56 + 256);
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gnm:ClipboardRange xmlns:gnm=\"http://www.gnumeric.org/v10.dtd\" Cols=\"";
  AppendNumber(std::max<std::size_t>(sheet.columns, 1), out);
  out += "\" Rows=\"";
  AppendNumber(sheet.rows, out);
  out += "\" BaseCol=\"0\" BaseRow=\"0\">\n<gnm:Cells>\n";
  for (const Sheet::Cell& cell : sheet.cells) {
    out += "<gnm:Cell Row=\"";
    AppendNumber(cell.row, out);
    out += "\" Col=\"";
    AppendNumber(cell.column, out);
    // Gnumeric's value types: 40 a number, 60 a string.
    out += cell.number ? "\" ValueType=\"40\">" : "\" ValueType=\"60\">";
    AppendMarkupText(sheet.Text(cell), {}, out);
    out += "</gnm:Cell>\n";
  }
  out += "</gnm:Cells>\n</gnm:ClipboardRange>\n";
  return out;
}

// --- HTML

constexpr std::string_view kStartFragment = "<!--StartFragment-->";
constexpr std::string_view kEndFragment = "<!--EndFragment-->";

std::string HtmlTable(const Sheet& sheet) {
  std::string out;
  out.reserve(sheet.texts.size() + sheet.cells.size() * 48 + sheet.rows * 12 + 512);
  // Excel takes class "t" as its text format and keeps a <br> inside its cell; Calc reads a
  // cell's "sdnum" as its number format (1033;0;@ text) and "sdval" as its value.
  out +=
      "<html xmlns:x=\"urn:schemas-microsoft-com:office:excel\">\r\n<head>\r\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
      "<style>td.t{mso-number-format:\"\\@\";} br{mso-data-placement:same-cell;}</style>\r\n"
      "</head>\r\n<body>\r\n";
  out += kStartFragment;
  out += "<table x:str>";
  auto cell = sheet.cells.begin();
  for (std::size_t row = 0; row < sheet.rows; ++row) {
    out += "\r\n<tr>";
    std::size_t column = 0;
    for (; cell != sheet.cells.end() && cell->row == row; ++cell) {
      for (; column < cell->column; ++column) out += "<td></td>";
      ++column;
      const std::string_view text = sheet.Text(*cell);
      if (cell->number) {
        out += "<td sdval=\"";
        out += text;
        out += "\" sdnum=\"1033;\" x:num=\"";
        out += text;
        out += "\">";
        out += text;
      } else {
        out += "<td class=\"t\" sdnum=\"1033;0;@\">";
        AppendMarkupText(text, "<br>", out);
      }
      out += "</td>";
    }
    out += "</tr>";
  }
  out += "\r\n</table>";
  out += kEndFragment;
  out += "\r\n</body>\r\n</html>\r\n";
  return out;
}

}  // namespace

std::string BuildSylk(const platform::ListView& list) { return Sylk(ReadSheet(list)); }

std::string BuildGnumericRange(const platform::ListView& list) {
  return GnumericRange(ReadSheet(list));
}

std::string BuildHtmlTable(const platform::ListView& list) { return HtmlTable(ReadSheet(list)); }

std::string WindowsHtmlFormat(std::string_view html) {
  std::size_t start = html.find(kStartFragment);
  start = start == std::string_view::npos ? 0 : start + kStartFragment.size();
  std::size_t end = html.find(kEndFragment, start);
  if (end == std::string_view::npos) end = html.size();

  // Every offset is written with ten digits, so the description's length is known before them.
  constexpr std::string_view kNames[] = {
      "StartHTML:", "EndHTML:", "StartFragment:", "EndFragment:"};
  constexpr std::string_view kVersion = "Version:0.9\r\n";
  std::size_t size = kVersion.size();
  for (const std::string_view name : kNames) size += name.size() + 10 + 2;
  const std::size_t offsets[] = {size, size + html.size(), size + start, size + end};

  std::string out;
  out.reserve(size + html.size());
  out += kVersion;
  for (std::size_t i = 0; i < 4; ++i) {
    out += kNames[i];
    const std::string digits = std::to_string(offsets[i]);
    out.append(10 - std::min<std::size_t>(digits.size(), 10), '0');
    out += digits;
    out += "\r\n";
  }
  out += html;
  return out;
}

std::vector<platform::ClipboardFlavour> BuildClipboardFlavours(const platform::ListView& list) {
  const Sheet sheet = ReadSheet(list);
  std::vector<platform::ClipboardFlavour> flavours;
  // Not offered as text/html on X11: Calc would take it before SYLK and ask how to import it.
  flavours.push_back({kSylkMimeType, "", Sylk(sheet)});
  flavours.push_back({kGnumericMimeType, "", GnumericRange(sheet)});
  flavours.push_back({"", kHtmlWindowsFormat, WindowsHtmlFormat(HtmlTable(sheet))});
  return flavours;
}

}  // namespace exporter
