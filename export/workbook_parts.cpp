#include "export/workbook_parts.h"

#include "export/cell_xml.h"

namespace exporter {
namespace {

constexpr char kPackageRelationships[] =
    "http://schemas.openxmlformats.org/package/2006/relationships";

constexpr char kStyles[] =
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"0.00\"/>"
    "</numFmts><fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/>"
    "<family val=\"2\"/></font><font><b/><sz val=\"11\"/><name val=\"Calibri\"/>"
    "<family val=\"2\"/></font></fonts><fills count=\"2\"><fill><patternFill "
    "patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill>"
    "</fills><borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/>"
    "</border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" "
    "fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs count=\"4\">"
    "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
    "applyFont=\"1\"/><xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
    "xfId=\"0\" applyNumberFormat=\"1\"/><xf numFmtId=\"164\" fontId=\"1\" "
    "fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\" applyFont=\"1\"/>"
    "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
    "builtinId=\"0\"/></cellStyles><dxfs count=\"0\"/><tableStyles count=\"0\"/>";

}  // namespace

std::vector<WorkbookPart> WorkbookParts(const std::vector<std::string>& sheet_names) {
  std::string sheets;
  std::string relationships;
  std::string overrides;
  for (std::size_t i = 0; i < sheet_names.size(); ++i) {
    const std::string number = std::to_string(i + 1);
    sheets += "<sheet name=\"" + CellXml(sheet_names[i]);
    sheets += "\" sheetId=\"" + number + "\" r:id=\"rId" + number + "\"/>";
    relationships += "<Relationship Id=\"rId" + number + "\" Type=\"" + kRelationshipsNamespace +
                     "/worksheet\" Target=\"worksheets/sheet" + number + ".xml\"/>";
    overrides += "<Override PartName=\"/xl/worksheets/sheet" + number +
                 ".xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
  }
  const std::string styles_id = "rId" + std::to_string(sheet_names.size() + 1);
  relationships += "<Relationship Id=\"" + styles_id + "\" Type=\"" + kRelationshipsNamespace +
                   "/styles\" Target=\"styles.xml\"/>";

  const std::string declaration = kXmlDeclaration;
  std::vector<WorkbookPart> parts;
  parts.push_back(
      {"[Content_Types].xml",
       declaration +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/xl/workbook.xml\" "
           "ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
           "<Override PartName=\"/xl/styles.xml\" "
           "ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>" +
           overrides + "</Types>"});
  parts.push_back({"_rels/.rels", declaration + "<Relationships xmlns=\"" + kPackageRelationships +
                                      "\"><Relationship Id=\"rId1\" Type=\"" +
                                      kRelationshipsNamespace +
                                      "/officeDocument\" Target=\"xl/workbook.xml\"/>"
                                      "</Relationships>"});
  parts.push_back({"xl/workbook.xml",
                   declaration + "<workbook xmlns=\"" + kMainNamespace + "\" xmlns:r=\"" +
                       kRelationshipsNamespace +
                       "\"><workbookPr/><bookViews><workbookView xWindow=\"240\" yWindow=\"15\" "
                       "windowWidth=\"16095\" windowHeight=\"9660\"/></bookViews><sheets>" +
                       sheets +
                       "</sheets><calcPr calcId=\"124519\" fullCalcOnLoad=\"1\"/></workbook>"});
  parts.push_back({"xl/_rels/workbook.xml.rels", declaration + "<Relationships xmlns=\"" +
                                                     kPackageRelationships + "\">" + relationships +
                                                     "</Relationships>"});
  parts.push_back({"xl/styles.xml", declaration + "<styleSheet xmlns=\"" + kMainNamespace + "\">" +
                                        kStyles + "</styleSheet>"});
  return parts;
}

}  // namespace exporter
