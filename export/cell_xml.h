// The XML of a worksheet cell's text in a workbook (.xlsx): the escapes that make every text read
// back as it was written, and the most bytes and characters a cell's text may take.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "export/byte_writer.h"

namespace exporter {

// The most characters a worksheet cell holds, counted in UTF-16 units as spreadsheets count them.
inline constexpr std::size_t kCellCharacters = 32767;

// The most bytes the XML of a text of `bytes` bytes takes: every byte at most seven.
constexpr std::size_t XmlBound(std::size_t bytes) { return 7 * bytes; }

// The text a workbook cell is given for `text`, which every spreadsheet reads back as `text`.
// Cell text is XML, which holds no NUL byte: a NUL is written as the workbook's escape "_x0000_"
// (PutCellXml writes the other control characters in the same way). A text that already looks
// like such an escape has its "_" written as "_x005F_", so it is not read as one.
std::string CellText(std::string_view text);
// False when CellText(text) is `text` itself; true when it may differ.
bool NeedsEscapes(std::string_view text);

// Characters, not bytes, of a UTF-8 text.
std::size_t CharacterCount(std::string_view text);

// Writes `text` as the XML of a cell's text: "&", "<" and ">" as entities; the control
// characters XML cannot hold, and CR, which XML would read as LF, as the workbook's escape
// "_xHHHH_"; a "_" that would read as the start of such an escape as "_x005F_". A spreadsheet
// reads it back as `text`. `out` has room for XmlBound(text.size()) bytes.
void PutCellXml(ByteWriter& out, std::string_view text);
// `text` as the XML of a cell's text, for the parts written outside a sheet's rows.
std::string CellXml(std::string_view text);
// The text element of a cell's text, which keeps the blanks it begins or ends with. Blanks are
// written as they stand, so the text's own first and last bytes tell.
void PutTextElement(ByteWriter& out, std::string_view text);

}  // namespace exporter
