// The typed clipboard flavours, byte for byte: what each spreadsheet reads depends on every
// quote and escape. The real pastes into Calc and Gnumeric are in tests/paste/.
#include "export/clipboard_flavours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "platform/controls/memory_list_view.h"
#include "tests/support/whole_forms.h"

namespace {

using platform::ColumnKind;
using platform::MemoryListView;

// Member code, date, shift and one number column, as a load gives them, with the texts that
// spreadsheets and the formats themselves would misread.
MemoryListView TrickyList() {
  MemoryListView list;
  list.AddColumnHeader("Mem_Code", 1400, ColumnKind::kText);
  list.AddColumnHeader("ne_date", 1400, ColumnKind::kText);
  list.AddColumnHeader("Coll_Time", 1400, ColumnKind::kText);
  list.AddColumnHeader("rate", 1400, ColumnKind::kNumber);
  const std::vector<std::vector<std::string>> rows = {
      {"00001", "2081/01/05", "M", "991.3065"},
      {"=1+1", "a;b\"c", "x\r\ny\rz\nw", ""},    // an empty number: an empty cell
      {"<&>", "", "नेपाल", "12345678901234567"},  // more digits than a spreadsheet keeps: text
      {"-5", "@", "+1", "12.50"},                // not the shortest form: text
  };
  for (const auto& row : rows) {
    const std::size_t item = list.AddItem();
    list.SetItemText(item, row[0]);
    for (std::size_t i = 1; i < row.size(); ++i) list.AddSubItem(item, row[i]);
  }
  return list;
}

TEST(ClipboardFlavours, SylkQuotesEveryTextAndGivesNumbersWithAPoint) {
  EXPECT_EQ(support::BuildSylk(TrickyList()),
            "ID;PCALCOOO32\r\n"
            "C;X1;Y1;K\"Mem_Code\"\r\nC;X2;Y1;K\"ne_date\"\r\n"
            "C;X3;Y1;K\"Coll_Time\"\r\nC;X4;Y1;K\"rate\"\r\n"
            "C;X1;Y2;K\"00001\"\r\nC;X2;Y2;K\"2081/01/05\"\r\nC;X3;Y2;K\"M\"\r\n"
            "C;X4;Y2;K991.3065\r\n"
            "C;X1;Y3;K\"=1+1\"\r\nC;X2;Y3;K\"a;;b\"c\"\r\nC;X3;Y3;K\"x\x1b :y\x1b :z\x1b :w\"\r\n"
            "C;X1;Y4;K\"<&>\"\r\nC;X3;Y4;K\"नेपाल\"\r\nC;X4;Y4;K\"12345678901234567\"\r\n"
            "C;X1;Y5;K\"-5\"\r\nC;X2;Y5;K\"@\"\r\nC;X3;Y5;K\"+1\"\r\nC;X4;Y5;K\"12.50\"\r\n"
            "E\r\n");
}

TEST(ClipboardFlavours, GnumericRangeTypesEachCellAndEscapesItsText) {
  const std::string range = support::BuildGnumericRange(TrickyList());
  EXPECT_TRUE(range.starts_with(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gnm:ClipboardRange xmlns:gnm=\"http://www.gnumeric.org/v10.dtd\" Cols=\"4\" Rows=\"5\" "
      "BaseCol=\"0\" BaseRow=\"0\">\n<gnm:Cells>\n"
      "<gnm:Cell Row=\"0\" Col=\"0\" ValueType=\"60\">Mem_Code</gnm:Cell>\n"))
      << range;
  for (const char* cell : {
           "<gnm:Cell Row=\"1\" Col=\"0\" ValueType=\"60\">00001</gnm:Cell>\n",
           "<gnm:Cell Row=\"1\" Col=\"3\" ValueType=\"40\">991.3065</gnm:Cell>\n",
           "<gnm:Cell Row=\"2\" Col=\"1\" ValueType=\"60\">a;b&quot;c</gnm:Cell>\n",
           "<gnm:Cell Row=\"2\" Col=\"2\" ValueType=\"60\">x&#13;\ny&#13;z\nw</gnm:Cell>\n",
           "<gnm:Cell Row=\"3\" Col=\"0\" ValueType=\"60\">&lt;&amp;&gt;</gnm:Cell>\n",
           "<gnm:Cell Row=\"3\" Col=\"3\" ValueType=\"60\">12345678901234567</gnm:Cell>\n",
           "<gnm:Cell Row=\"4\" Col=\"3\" ValueType=\"60\">12.50</gnm:Cell>\n",
       }) {
    EXPECT_NE(range.find(cell), std::string::npos) << cell;
  }
  EXPECT_EQ(range.find("Row=\"2\" Col=\"3\""), std::string::npos) << "an empty text is no cell";
  EXPECT_TRUE(range.ends_with("</gnm:Cells>\n</gnm:ClipboardRange>\n"));
}

TEST(ClipboardFlavours, TypedFormsGetTheSameReplacementForWhatTheyCannotHold) {
  MemoryListView list;
  list.AddColumnHeader("a", 1400, ColumnKind::kText);
  // A control character, a byte that starts no UTF-8 sequence, a cut-short sequence, an encoded
  // surrogate, a NUL and an ESC that SYLK would read as a line break; then a tab, which the
  // markup forms hold and SYLK, as Calc reads it, does not.
  list.SetItemText(list.AddItem(), std::string("a\x01"
                                               "b\xff"
                                               "c\xe0\xa4"
                                               "d\xed\xa0\x80"
                                               "e\0f\x1b :g\t",
                                               19));
  const std::string cell = "a\uFFFDb\uFFFDc\uFFFD\uFFFDd\uFFFD\uFFFD\uFFFDe\uFFFDf\uFFFD :g";
  const std::string range = support::BuildGnumericRange(list);
  EXPECT_NE(range.find(">" + cell + "\t</gnm:Cell>"), std::string::npos) << range;
  const std::string sylk = support::BuildSylk(list);
  EXPECT_NE(sylk.find("C;X1;Y2;K\"" + cell + "\uFFFD\"\r\n"), std::string::npos) << sylk;
  EXPECT_EQ(sylk.find('\0'), std::string::npos);
}

TEST(ClipboardFlavours, HtmlTableHintsBothSpreadsheetsAndKeepsEmptyCellsInPlace) {
  const std::string html = exporter::BuildHtmlTable(TrickyList());
  const std::string text = "<td class=\"t\" sdnum=\"1033;0;@\">";
  for (const std::string& part : std::vector<std::string>{
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
           "<!--StartFragment--><table x:str>\r\n<tr>" + text + "Mem_Code</td>",
           "<tr>" + text + "00001</td>" + text + "2081/01/05</td>" + text +
               "M</td><td sdval=\"991.3065\" sdnum=\"1033;\" x:num=\"991.3065\">991.3065</td></tr>",
           text + "a;b&quot;c</td>" + text + "x<br>y<br>z<br>w</td></tr>",
           "<tr>" + text + "&lt;&amp;&gt;</td><td></td>" + text + "नेपाल</td>",
           "</table><!--EndFragment-->",
       }) {
    EXPECT_NE(html.find(part), std::string::npos) << part << "\nin\n" << html;
  }
}

// The value of `name` in the description of a Windows "HTML Format".
std::size_t Offset(const std::string& format, const std::string& name) {
  const std::size_t at = format.find(name + ":");
  if (at == std::string::npos) return std::string::npos;
  return std::stoul(format.substr(at + name.size() + 1, 10));
}

TEST(ClipboardFlavours, WindowsHtmlFormatOffsetsPointAtThePageAndTheTable) {
  const std::string html = exporter::BuildHtmlTable(TrickyList());
  const std::string format = support::BuildWindowsHtml(TrickyList());
  ASSERT_TRUE(format.starts_with("Version:0.9\r\nStartHTML:"));
  const std::size_t start_html = Offset(format, "StartHTML");
  EXPECT_EQ(format.substr(start_html), html);
  EXPECT_EQ(Offset(format, "EndHTML"), format.size());
  const std::size_t start = Offset(format, "StartFragment");
  const std::size_t end = Offset(format, "EndFragment");
  ASSERT_LT(start, end);
  EXPECT_TRUE(format.substr(start, end - start).starts_with("<table x:str>"));
  EXPECT_TRUE(format.substr(start, end - start).ends_with("</table>"));
  EXPECT_TRUE(format.substr(0, start_html)
                  .ends_with("EndFragment:" + std::string(10 - std::to_string(end).size(), '0') +
                             std::to_string(end) + "\r\n"));
}

TEST(ClipboardFlavours, EachIsNamedForTheSystemsWhoseSpreadsheetsTakeIt) {
  const MemoryListView list = TrickyList();
  const std::vector<platform::ClipboardFlavour> flavours = support::BuildClipboardFlavours(list);
  ASSERT_EQ(flavours.size(), 3u);
  EXPECT_EQ(flavours[0].mime_type, "application/x-openoffice-sylk;windows_formatname=\"Sylk\"");
  EXPECT_EQ(flavours[0].windows_format, "");
  EXPECT_TRUE(flavours[0].data.starts_with("ID;PCALCOOO32\r\n"));
  EXPECT_EQ(flavours[1].mime_type, "application/x-gnumeric");
  EXPECT_EQ(flavours[1].windows_format, "");
  EXPECT_NE(flavours[1].data.find("<gnm:ClipboardRange"), std::string::npos);
  // No text/html on X11: Calc would take it before SYLK and ask how to import it.
  EXPECT_EQ(flavours[2].mime_type, "");
  EXPECT_EQ(flavours[2].windows_format, "HTML Format");
  EXPECT_TRUE(flavours[2].data.starts_with("Version:0.9\r\n"));
}

// A long list's forms, handed on in many pieces, hold every cell once: counted by each form's
// own cell markup, and its last row's texts at its end.
TEST(ClipboardFlavours, ALongListsFormsHoldEveryCellOnce) {
  MemoryListView list;
  list.AddColumnHeader("Mem_Code", 1400, ColumnKind::kText);
  list.AddColumnHeader("rate", 1400, ColumnKind::kNumber);
  constexpr std::size_t kRows = 30000;
  for (std::size_t row = 0; row < kRows; ++row) {
    const std::size_t item = list.AddItem();
    list.SetItemText(item, std::string(row < kRows / 2 ? 5 : 9, static_cast<char>('a' + row % 26)));
    list.AddSubItem(item, std::to_string(row) + ".25");
  }
  const std::vector<platform::ClipboardFlavour> flavours = support::BuildClipboardFlavours(list);
  const std::string cell_marks[] = {"\r\nC;", "<gnm:Cell ", "<td"};
  ASSERT_EQ(flavours.size(), std::size(cell_marks));
  for (std::size_t i = 0; i < flavours.size(); ++i) {
    const std::string& bytes = flavours[i].data;
    SCOPED_TRACE(cell_marks[i]);
    std::size_t cells = 0;
    for (std::size_t at = bytes.find(cell_marks[i]); at != std::string::npos;
         at = bytes.find(cell_marks[i], at + 1)) {
      ++cells;
    }
    EXPECT_EQ(cells, 2 * (kRows + 1));
    const std::size_t last = bytes.rfind(std::to_string(kRows - 1) + ".25");
    ASSERT_NE(last, std::string::npos);
    EXPECT_GT(last, bytes.rfind(std::string(9, static_cast<char>('a' + (kRows - 2) % 26))));
  }
}

TEST(ClipboardFlavours, AnEmptyListIsAnEmptyRange) {
  const MemoryListView list;
  EXPECT_EQ(support::BuildSylk(list), "ID;PCALCOOO32\r\nE\r\n");
  EXPECT_NE(support::BuildGnumericRange(list).find("Cols=\"1\" Rows=\"1\""), std::string::npos);
  EXPECT_NE(exporter::BuildHtmlTable(list).find("<table x:str>\r\n<tr></tr>\r\n</table>"),
            std::string::npos);
}

}  // namespace
