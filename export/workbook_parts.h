// The parts of a workbook (.xlsx) besides its sheets: the package's list of content types, its
// relationships, the workbook part naming the sheets, and the cell formats.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace exporter {

inline constexpr char kXmlDeclaration[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
inline constexpr char kMainNamespace[] =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr char kRelationshipsNamespace[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A part of the package: its name in the zip and its XML.
struct WorkbookPart {
  std::string name;
  std::string xml;
};

// The parts that name the sheets `sheet_names`, stored as xl/worksheets/sheet1.xml and on, and
// the cell formats in the order plain, bold, two decimals shown, both.
std::vector<WorkbookPart> WorkbookParts(const std::vector<std::string>& sheet_names);

}  // namespace exporter
