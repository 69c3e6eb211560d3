#include "export/clipboard_flavours.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

#include "export/byte_writer.h"
#include "export/form_rows.h"
#include "platform/run_time_error.h"

namespace exporter {
namespace {

// The writer that gathers a whole form, for the calls that give it as a string.
std::string GatheredForm(const std::function<void(const platform::ClipboardWriter&)>& make) {
  std::string bytes;
  make(platform::Gathering(bytes));
  return bytes;
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

// Every byte of a text takes at most three in SYLK: ";;", ESC " :" for a line break, U+FFFD.
constexpr std::size_t kSylkBound = 3;

// What SYLK cannot hold is written as the markup forms write it, U+FFFD, so every typed form
// gives the same cells: a NUL would end the cell, and an ESC starts SYLK's own sequences. A tab,
// which Calc leaves out of a SYLK text, is U+FFFD too, so that nothing goes without a mark.
void PutSylkText(std::string_view text, ByteWriter& out) {
  out.Put('"');
  // Most texts are plain ASCII with no ";", copied as they are.
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != ';';
  });
  if (plain) {
    out.Put(text);
    out.Put('"');
    return;
  }
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == ';') {
      out.Put(";;");
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.Put(kSylkLineBreak);
      ++i;
      continue;
    }
    std::uint32_t code = 0;
    const std::size_t length = Utf8Sequence(text, i, code);
    if (Unholdable(length, code) || c == '\t') {
      out.Put(kReplacement);
      i += std::max<std::size_t>(length, 1);
    } else {
      out.Put(text.substr(i, length));
      i += length;
    }
  }
  out.Put('"');
}

// `before`, each column's number counted from `first`, then `after`: the part of every cell's
// text that names its column, made once for all rows.
std::vector<std::string> ColumnParts(std::size_t columns, std::size_t first,
                                     std::string_view before, std::string_view after) {
  std::vector<std::string> parts(columns);
  for (std::size_t column = 0; column < columns; ++column) {
    parts[column] = before;
    AppendNumber(column + first, parts[column]);
    parts[column] += after;
  }
  return parts;
}

void Sylk(const platform::ListView& list, const platform::ClipboardWriter& write) {
  const SheetSize size = MeasureSheet(list);
  const std::vector<std::string> columns = ColumnParts(size.columns, 1, "C;X", ";Y");
  PiecewiseForm pieces(write, size.rows);
  // This identification tells Calc that ";" is doubled inside texts and quotes are not.
  pieces.Put("ID;PCALCOOO32\r\n");
  std::string row_part;
  ForEachRow(list, [&](std::size_t row, std::span<const RowCell> cells) {
    row_part.clear();
    AppendNumber(row + 1, row_part);
    row_part += ";K";
    for (const RowCell& cell : cells) {
      const std::string& column = columns[cell.column];
      ByteWriter out =
          pieces.Room(column.size() + row_part.size() + kSylkBound * cell.text.size() + 4);
      out.Put(column);
      out.Put(row_part);
      if (cell.number) {
        out.Put(cell.text);
      } else {
        PutSylkText(cell.text, out);
      }
      out.Put("\r\n");
      pieces.Done(out);
    }
    pieces.Next();
  });
  pieces.Put("E\r\n");
  pieces.HandOn();
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

// Every byte of a text takes at most six in markup, as "&quot;" (a line break's "<br>" fewer).
constexpr std::size_t kMarkupBound = 6;

// Escapes `text` for XML element content. `line_break` stands for CR LF, CR and LF alike when
// given; otherwise CR is written as a character reference and LF as it is.
void PutMarkupText(std::string_view text, std::string_view line_break, ByteWriter& out) {
  // Most texts are plain ASCII, copied as they are.
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != '&' && c != '<' && c != '>' && c != '"';
  });
  if (plain) {
    out.Put(text);
    return;
  }
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    switch (c) {
      case '&':
        out.Put("&amp;");
        ++i;
        continue;
      case '<':
        out.Put("&lt;");
        ++i;
        continue;
      case '>':
        out.Put("&gt;");
        ++i;
        continue;
      case '"':
        out.Put("&quot;");
        ++i;
        continue;
      case '\r':
      case '\n':
        if (line_break.empty()) {
          out.Put(c == '\r' ? std::string_view("&#13;") : std::string_view("\n"));
        } else {
          if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
          out.Put(line_break);
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
      out.Put(kReplacement);
      i += std::max<std::size_t>(length, 1);
    } else {
      out.Put(text.substr(i, length));
      i += length;
    }
  }
}

// --- Gnumeric

void GnumericRange(const platform::ListView& list, const platform::ClipboardWriter& write) {
  const SheetSize size = MeasureSheet(list);
  PiecewiseForm pieces(write, size.rows);
  std::string start =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gnm:ClipboardRange xmlns:gnm=\"http://www.gnumeric.org/v10.dtd\" Cols=\"";
  AppendNumber(std::max<std::size_t>(size.columns, 1), start);
  start += "\" Rows=\"";
  AppendNumber(size.rows, start);
  start += "\" BaseCol=\"0\" BaseRow=\"0\">\n<gnm:Cells>\n";
  pieces.Put(start);
  // Gnumeric's value types: 40 a number, 60 a string.
  const std::vector<std::string> numbers = ColumnParts(size.columns, 0, "", "\" ValueType=\"40\">");
  const std::vector<std::string> strings = ColumnParts(size.columns, 0, "", "\" ValueType=\"60\">");
  constexpr std::string_view kCellEnd = "</gnm:Cell>\n";
  std::string row_part;
  ForEachRow(list, [&](std::size_t row, std::span<const RowCell> cells) {
    row_part = "<gnm:Cell Row=\"";
    AppendNumber(row, row_part);
    row_part += "\" Col=\"";
    for (const RowCell& cell : cells) {
      const std::string& column = (cell.number ? numbers : strings)[cell.column];
      ByteWriter out = pieces.Room(row_part.size() + column.size() +
                                   kMarkupBound * cell.text.size() + kCellEnd.size());
      out.Put(row_part);
      out.Put(column);
      PutMarkupText(cell.text, {}, out);
      out.Put(kCellEnd);
      pieces.Done(out);
    }
    pieces.Next();
  });
  pieces.Put("</gnm:Cells>\n</gnm:ClipboardRange>\n");
  pieces.HandOn();
}

// --- HTML

constexpr std::string_view kStartFragment = "<!--StartFragment-->";
constexpr std::string_view kEndFragment = "<!--EndFragment-->";

void HtmlTable(const platform::ListView& list, const platform::ClipboardWriter& write) {
  PiecewiseForm pieces(write, MeasureSheet(list).rows);
  // Excel takes class "t" as its text format and keeps a <br> inside its cell; Calc reads a
  // cell's "sdnum" as its number format (1033;0;@ text) and "sdval" as its value.
  pieces.Put(
      "<html xmlns:x=\"urn:schemas-microsoft-com:office:excel\">\r\n<head>\r\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
      "<style>td.t{mso-number-format:\"\\@\";} br{mso-data-placement:same-cell;}</style>\r\n"
      "</head>\r\n<body>\r\n");
  pieces.Put(kStartFragment);
  pieces.Put("<table x:str>");
  constexpr std::size_t kCellMarkup = 64;  // a cell's markup besides its text
  ForEachRow(list, [&](std::size_t, std::span<const RowCell> cells) {
    pieces.Put("\r\n<tr>");
    std::size_t column = 0;
    for (const RowCell& cell : cells) {
      for (; column < cell.column; ++column) pieces.Put("<td></td>");
      ++column;
      const std::string_view text = cell.text;
      ByteWriter out = pieces.Room(kCellMarkup + kMarkupBound * text.size());
      if (cell.number) {
        out.Put("<td sdval=\"");
        out.Put(text);
        out.Put("\" sdnum=\"1033;\" x:num=\"");
        out.Put(text);
        out.Put("\">");
        out.Put(text);
      } else {
        out.Put("<td class=\"t\" sdnum=\"1033;0;@\">");
        PutMarkupText(text, "<br>", out);
      }
      out.Put("</td>");
      pieces.Done(out);
    }
    pieces.Put("</tr>");
    pieces.Next();
  });
  pieces.Put("\r\n</table>");
  pieces.Put(kEndFragment);
  pieces.Put("\r\n</body>\r\n</html>\r\n");
  pieces.HandOn();
}

// The description "HTML Format" begins with, for `html`.
std::string WindowsHtmlDescription(std::string_view html) {
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
  out.reserve(size);
  out += kVersion;
  for (std::size_t i = 0; i < 4; ++i) {
    out += kNames[i];
    const std::string digits = std::to_string(offsets[i]);
    out.append(10 - std::min<std::size_t>(digits.size(), 10), '0');
    out += digits;
    out += "\r\n";
  }
  return out;
}

}  // namespace

std::string BuildHtmlTable(const platform::ListView& list) {
  return GatheredForm([&](const platform::ClipboardWriter& write) { HtmlTable(list, write); });
}

std::vector<platform::ClipboardForm> ClipboardForms(std::shared_ptr<const platform::ListView> table,
                                                    bool for_calc) {
  MeasureSheet(*table);
  std::vector<platform::ClipboardForm> forms;
  // Not offered as text/html on X11: Calc would take it before SYLK and ask how to import it.
  forms.push_back({kSylkMimeType, for_calc ? platform::kWindowsSylkFormat : "",
                   [table](const platform::ClipboardWriter& write) { Sylk(*table, write); }});
  forms.push_back({kGnumericMimeType, "", [table](const platform::ClipboardWriter& write) {
                     GnumericRange(*table, write);
                   }});
  forms.push_back(
      {"", for_calc ? "" : kHtmlWindowsFormat, [table](const platform::ClipboardWriter& write) {
         // The description counts the page's bytes, so the page is made first.
         const std::string html = BuildHtmlTable(*table);
         const std::string description = WindowsHtmlDescription(html);
         write.Expect(description.size() + html.size());
         write(description);
         write(html);
       }});
  return forms;
}

}  // namespace exporter
