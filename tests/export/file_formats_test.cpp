#include "export/file_formats.h"

#include <gtest/gtest.h>

#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "export/cell_xml.h"
#include "platform/controls/memory_list_view.h"
#include "platform/run_time_error.h"
#include "tests/cli/read_back.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::MemoryListView;

// A list whose columns are text, but those `numbers` marks true.
MemoryListView ListOf(const std::vector<std::string>& headers,
                      const std::vector<std::vector<std::string>>& rows,
                      const std::vector<bool>& numbers = {}) {
  MemoryListView list;
  for (std::size_t column = 0; column < headers.size(); ++column) {
    const bool number = column < numbers.size() && numbers[column];
    list.AddColumnHeader(headers[column], 1400,
                         number ? platform::ColumnKind::kNumber : platform::ColumnKind::kText);
  }
  for (const auto& row : rows) {
    const std::size_t item = list.AddItem();
    list.SetItemText(item, row.at(0));
    for (std::size_t i = 1; i < row.size(); ++i) list.AddSubItem(item, row[i]);
  }
  return list;
}

// A file name in a temporary folder of the test's own, removed at the end of the test.
class TempPath {
 public:
  explicit TempPath(const std::string& suffix) : path_((dir_.path() / ("out" + suffix)).string()) {}
  const std::string& path() const { return path_; }

 private:
  test_support::TempDir dir_;
  std::string path_;
};

TEST(CsvText, FieldsAreQuotedOnlyWhereTheyMustBe) {
  struct Case {
    std::string field;
    std::string written;
  };
  const Case cases[] = {
      {"00123", "00123"},
      {"12 ", "12 "},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"lf\n", "\"lf\n\""},
      {"tab\there", "tab\there"},
      {"नेपाल", "नेपाल"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(exporter::BuildCsvText(ListOf({"h"}, {{c.field}})), "h\r\n" + c.written + "\r\n");
  }
}

TEST(CsvText, EveryLineEndsInCrLf) {
  EXPECT_EQ(exporter::BuildCsvText(MemoryListView()), "\r\n");
  EXPECT_EQ(exporter::BuildCsvText(ListOf({"a", "b,c"}, {})), "a,\"b,c\"\r\n");
  EXPECT_EQ(exporter::BuildCsvText(ListOf({"a", "b"}, {{"1", ""}, {"2", "x"}})),
            "a,b\r\n1,\r\n2,x\r\n");
}

TEST(CsvText, ReadsBackCellForCellThroughPythonsCsv) {
  const MemoryListView list =
      ListOf({"Mem_Code", "note"}, {{"00123 ", "a,\"b\"\r\nc"},
                                    {"", "x"},
                                    {"7", ""},
                                    {std::string("\0lead", 5), std::string("a\0b", 3)}});
  TempPath file(".csv");
  std::FILE* out = std::fopen(file.path().c_str(), "wb");
  ASSERT_NE(out, nullptr);
  const std::string text = exporter::BuildCsvText(list);
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  EXPECT_EQ(read_back::GridTexts(read_back::ReadSheet(file.path())),
            read_back::Normalized(read_back::ListRows(list)));
}

TEST(ExactNumber, KeepsOnlyDecimalsASpreadsheetShowsUnchanged) {
  struct Case {
    const char* text;
    std::optional<double> number;
  };
  const Case cases[] = {
      {"12.35", 12.35},
      {"3", 3},
      {"-0.5", -0.5},
      {"472.3875", 472.3875},
      {"0", 0},
      {"12.50", std::nullopt},  // would come back as 12.5
      {"8.8", 8.8},
      {"123456789012.345", 123456789012.345},
      {"1234567890123456", std::nullopt},  // more digits than a spreadsheet keeps
      {"9007199254740993", std::nullopt},
      {"1e3", std::nullopt},
      {".5", std::nullopt},
      {"5.", std::nullopt},
      {" 5", std::nullopt},
      {"5 ", std::nullopt},
      {"+5", std::nullopt},
      {"-", std::nullopt},
      {"", std::nullopt},
      {"00123", std::nullopt},
      {"2081/01/05", std::nullopt},
      {"inf", std::nullopt},
      {"nan", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(exporter::ExactNumber(c.text), c.number);
  }
}

// The definition itself: a decimal is kept when its double, written again with 15 significant
// digits, is the same text. ExactNumber answers most texts without writing the double; across
// digit counts, zeros at either end and the places of the point it must agree.
TEST(ExactNumber, AgreesWithWritingTheNumberAgain) {
  auto written_again = [](const std::string& text) -> std::optional<double> {
    double value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size()) return std::nullopt;
    char shown[64];
    const auto end =
        std::to_chars(shown, shown + sizeof shown, value, std::chars_format::general, 15);
    if (std::string(shown, end.ptr) != text) return std::nullopt;
    return value;
  };
  int checked = 0;
  for (const std::string sign : {"", "-"}) {
    for (const std::string integer : {"0", "00", "1", "10", "7000", "123456789", "100000000000000",
                                      "999999999999999", "1000000000000000", "1234567890123456"}) {
      for (const std::string fraction :
           {"", ".", ".0", ".5", ".50", ".05", ".0001", ".00001", ".000012", ".001234", ".123456",
            ".1234567", ".12345678901234", ".123456789012345", ".9999999999999999"}) {
        const std::string text = sign + integer + fraction;
        SCOPED_TRACE(text);
        EXPECT_EQ(exporter::ExactNumber(text), written_again(text));
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 300);
}

TEST(XlsxFile, NumberColumnsHoldNumbersAndEveryOtherCellText) {
  const MemoryListView list =
      ListOf({"Mem_Code", "ne_date", "Coll_Time", "Volume_lt", "Amount"},
             {{"00123", "2081/01/05", "M", "12.35", "472.3875"},
              {"7 ", "2081/01/06", "E", "*", "3"},
              {"=1+1", "2081/01/06", "", "", "-0.5"},
              {"नेपाल", "2081/01/07", "E\tx", "12345678901234567", "0"},
              // Bytes a workbook's XML cannot hold, and its own escape.
              {std::string("\0lead", 5), std::string("a\0b", 3), "_x0041_", "x_x00e9_", "1"},
              // XML's own characters, blanks at either end, CR (which XML reads as LF) and the
              // other control characters.
              {"a&b<c>\"'", " lead", "cr\rlf\n", "\x01\x1F\x7F", "-0.25"},
              {"trail ", "\ttab", "_x", "_x12_", "0.0001"}},
             {true, false, false, true, true});
  TempPath file(".xlsx");
  exporter::WriteXlsxFile(list, file.path());

  const read_back::Grid grid = read_back::ReadSheet(file.path());
  EXPECT_EQ(read_back::GridTexts(grid), read_back::Normalized(read_back::ListRows(list)));
  // "00123" would lose its zeros as a number; a formula-like text stays text.
  const std::vector<std::vector<std::string>> types = {
      {"s", "s", "s", "s", "s"}, {"s", "s", "s", "n", "n"}, {"s", "s", "s", "s", "n"},
      {"s", "s", "", "", "n"},   {"s", "s", "s", "s", "n"}, {"s", "s", "s", "s", "n"},
      {"s", "s", "s", "s", "n"}, {"s", "s", "s", "s", "n"},
  };
  ASSERT_EQ(grid.size(), types.size());
  for (std::size_t row = 0; row < types.size(); ++row) {
    for (std::size_t column = 0; column < types[row].size(); ++column) {
      SCOPED_TRACE(std::to_string(row) + "," + std::to_string(column));
      const std::string type = column < grid[row].size() ? grid[row][column].type : "";
      EXPECT_EQ(type, types[row][column]);
    }
  }
}

TEST(XlsxFile, ColumnsFitTheirLongestTextUnderAFrozenBoldHeader) {
  const MemoryListView list = ListOf({"Mem_Code", "ne_date", "rate", "x"},
                                     {{"00123", "2081/01/05", "4", ""},
                                      {"नेपाल", "2081/01/06", "12345678901234567", ""},
                                      {"7", "2081/01/06", "0.5", "", std::string(300, 'w')}},
                                     {false, false, true, false});
  TempPath file(".xlsx");
  exporter::WriteXlsxFile(list, file.path());
  // Widths count characters (नेपाल is five, in fifteen bytes) and leave two more; an empty
  // column keeps the sheet's width; none is wider than a sheet allows.
  const std::string layout = read_back::ReaderOutput(file.path(), 1, "--layout");
  EXPECT_EQ(layout,
            "width\t0\t10\n"   // Mem_Code
            "width\t1\t12\n"   // 2081/01/05
            "width\t2\t19\n"   // 12345678901234567
            "width\t3\t3\n"    // x
            "width\t4\t255\n"  // 300 characters
            "frozen\t1\n"
            "bold\t0\t0\nbold\t0\t1\nbold\t0\t2\nbold\t0\t3\n");
  EXPECT_EQ(read_back::GridTexts(read_back::ReadSheet(file.path())),
            read_back::Normalized(read_back::ListRows(list)));
}

// Both sheets of a summary workbook, the second of many rows (handed to the zip in many blocks),
// read back cell for cell.
TEST(XlsxFile, BothSheetsOfASummaryWorkbookReadBackCellForCell) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 70000; ++i) {
    rows.push_back(
        {"m" + std::to_string(i % 500), "unique " + std::to_string(i), "M", std::to_string(i)});
  }
  const MemoryListView records =
      ListOf({"Mem_Code", "note", "Coll_Time", "n"}, rows, {false, false, false, true});
  const MemoryListView summary = ListOf({"Mem_Code", "n"}, {{"m1", "2"}, {"unique 7", "3"}});
  TempPath file(".xlsx");
  exporter::WriteSheetsXlsxFile(
      {{"Member Summary", &summary, true, {}}, {exporter::kRecordsSheet, &records, false, {}}},
      file.path());
  EXPECT_EQ(read_back::GridTexts(read_back::ReadSheet(file.path(), 1)),
            read_back::Normalized(read_back::ListRows(summary)));
  const read_back::Grid grid = read_back::ReadSheet(file.path(), 2);
  EXPECT_EQ(read_back::GridTexts(grid), read_back::Normalized(read_back::ListRows(records)));
  EXPECT_EQ(grid.back()[3], (read_back::Cell{"n", "69999"}));
}

#ifndef _WIN32
// The workbook as the spreadsheets themselves open it: Gnumeric's ssconvert and LibreOffice each
// write every sheet as csv, which Python's csv reads back. (Gnumeric shows the workbook's escapes
// of CR and the control characters, "_x000D_", as they stand, so there are none here.)
TEST(XlsxFile, GnumericAndLibreOfficeOpenEverySheet) {
  const bool gnumeric = ::access("/usr/bin/ssconvert", X_OK) == 0;
  const bool libreoffice = ::access("/usr/bin/soffice", X_OK) == 0;
  if (!gnumeric || !libreoffice) {
    GTEST_SKIP() << "needs Gnumeric's ssconvert and LibreOffice's soffice in /usr/bin";
  }
  const MemoryListView records = ListOf({"Mem_Code", "ne_date", "Note", "Volume_lt", "Amount"},
                                        {{"00123", "2081/01/05", "नेपाल", "12.35", "472.3875"},
                                         {"7 ", "2081/01/06", "a,b \"c\" & <d>", "", "-0.5"},
                                         {"", "2081/01/06", "x", "12.50", "123456789012.345"},
                                         {"a_b", "2081/01/07", "two\nlines", "0", "3"}},
                                        {false, false, false, true, true});
  const MemoryListView summary =
      ListOf({"ne_date", "records"}, {{"2081/01/05", "1"}, {"Total", "4"}}, {false, true});
  test_support::TempDir dir;
  const std::string book = (dir.path() / "book.xlsx").string();
  exporter::WriteSheetsXlsxFile(
      {{"Day Summary", &summary, true, {}}, {exporter::kRecordsSheet, &records, false, {}}}, book);

  const std::string folder = dir.path().string();
  const std::string convert_gnumeric =
      "/usr/bin/ssconvert -S '" + book + "' '" + folder + "/g.csv' >/dev/null 2>&1";
  ASSERT_EQ(std::system(convert_gnumeric.c_str()), 0);
  // Comma-separated UTF-8, every text quoted, values as stored, every sheet.
  const std::string convert_libreoffice =
      "HOME='" + folder + "' /usr/bin/soffice -env:UserInstallation=file://" + folder +
      "/profile --headless --norestore --convert-to "
      "'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,false,false,false,-1' --outdir '" +
      folder + "/lo' '" + book + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(convert_libreoffice.c_str()), 0);

  const std::pair<const MemoryListView*, std::vector<std::string>> sheets[] = {
      {&summary, {"/g.csv.0", "/lo/book-Day Summary.csv"}},
      {&records, {"/g.csv.1", "/lo/book-Records.csv"}}};
  for (const auto& [list, csvs] : sheets) {
    for (const std::string& csv : csvs) {
      SCOPED_TRACE(csv);
      EXPECT_EQ(read_back::GridTexts(read_back::ReadSheet(folder + csv)),
                read_back::Normalized(read_back::ListRows(*list)));
    }
  }
}
#endif

// A list that claims `items` rows, by default more than a worksheet holds, without storing them.
class HugeList : public MemoryListView {
 public:
  explicit HugeList(std::size_t items = exporter::kSheetRows) : items_(items) {}
  std::size_t ItemCount() const override { return items_; }
  std::size_t SubItemCount(std::size_t) const override { return 0; }
  std::string ItemText(std::size_t) const override { return "x"; }

 private:
  std::size_t items_;
};

// A sheet's title rows stand above its header, which is frozen below them; the list's rows follow
// as they would without a title, the columns as wide as the list's texts alone.
TEST(XlsxFile, TitleRowsStandAboveTheFrozenBoldHeaderAndLeaveTheWidths) {
  MemoryListView bills;
  bills.AddColumnHeader("mem_code", 1400, platform::ColumnKind::kText);
  bills.AddColumnHeader("volume_lt", 1400, platform::ColumnKind::kNumber);
  bills.AddColumnHeader("amount", 1400, platform::ColumnKind::kTwoDecimals);
  for (const char* code : {"007", "Total"}) {
    const std::size_t item = bills.AddItem();
    bills.SetItemText(item, code);
    bills.AddSubItem(item, "12.5");
    bills.AddSubItem(item, "472.39");
  }
  const std::vector<std::vector<std::string>> titles = {
      {},
      {"Day sheet, 2081/01/01 to 2081/01/15"},
      {"Member bills, Baisakh 2081, first half: 2081/01/01 to 2081/01/15",
       "Read from the table /srv/Dudh & <Ghee>/नेपाल/TRAN.dbf"},
  };
  for (const std::vector<std::string>& title : titles) {
    SCOPED_TRACE(title.size());
    TempPath file(".xlsx");
    exporter::WriteSheetsXlsxFile({{"Member Bills", &bills, true, title}}, file.path());
    std::vector<std::vector<std::string>> expected;
    for (const std::string& row : title) expected.push_back({row});
    for (const auto& row : read_back::ListRows(bills)) expected.push_back(row);
    const read_back::Grid grid = read_back::ReadSheet(file.path());
    EXPECT_EQ(read_back::GridTexts(grid), expected);
    const std::size_t header = title.size();
    const std::string h = std::to_string(header);
    const std::string first = std::to_string(header + 1);
    const std::string total = std::to_string(header + 2);
    ASSERT_EQ(grid.size(), header + 3);
    EXPECT_EQ(grid[header + 1][2], (read_back::Cell{"n", "472.39"}));
    EXPECT_EQ(read_back::ReaderOutput(file.path(), 1, "--layout"),
              "width\t0\t10\nwidth\t1\t11\nwidth\t2\t8\n"
              "frozen\t" +
                  first + "\n" + (title.empty() ? "" : "bold\t0\t0\n") + "bold\t" + h +
                  "\t0\nbold\t" + h + "\t1\nbold\t" + h + "\t2\n" + "bold\t" + total +
                  "\t0\nbold\t" + total + "\t1\nbold\t" + total + "\t2\n" + "format\t" + first +
                  "\t2\t0.00\nformat\t" + total + "\t2\t0.00\n");
  }
}

// Title rows take rows of the sheet, and a title is a cell's text: what does not fit is refused
// before the file is made.
TEST(XlsxFile, TitlesThatDoNotFitASheetAreOverflows) {
  const HugeList fills_a_sheet_but_two(exporter::kSheetRows - 2);
  const MemoryListView small = ListOf({"a"}, {{"1"}});
  struct Case {
    const char* what;
    const platform::ListView* list;
    std::vector<std::string> title;
  };
  const Case cases[] = {
      {"two title rows over the last rows", &fills_a_sheet_but_two, {"t", "u"}},
      {"a title longer than a cell", &small, {std::string(exporter::kCellCharacters + 1, 't')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempPath file(".xlsx");
    try {
      exporter::WriteSheetsXlsxFile({{"Sheet", c.list, false, c.title}}, file.path());
      ADD_FAILURE() << "no error";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), platform::error::kOverflow);
    }
    EXPECT_NE(::access(file.path().c_str(), F_OK), 0);
  }
}

TEST(XlsxFile, ATextLongerThanACellHoldsIsAnOverflowNamingRecordAndColumn) {
  struct Case {
    const char* name;
    std::string text;
    bool fits;
  };
  const Case cases[] = {
      {"longest", std::string(32767, 'a'), true},
      {"one more", std::string(32768, 'a'), false},
      {"Devanagari, 3 bytes a character",
       std::string(10000, 'x') +
           [] {
             std::string text;
             for (int i = 0; i < 10000; ++i) text += "न";
             return text;
           }(),
       true},
      {"outside the BMP, two units a character",
       [] {
         std::string text;
         for (int i = 0; i < 16384; ++i) text += "\U0001F600";
         return text;
       }(),
       false},
      {"NULs, escaped in the workbook", std::string(5000, '\0'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempPath file(".xlsx");
    const MemoryListView list = ListOf({"Mem_Code", "Note"}, {{"1", "a"}, {"2", c.text}});
    if (c.fits) {
      exporter::WriteXlsxFile(list, file.path());
      EXPECT_EQ(read_back::GridTexts(read_back::ReadSheet(file.path()))[2][1], c.text);
      continue;
    }
    try {
      exporter::WriteXlsxFile(list, file.path());
      ADD_FAILURE() << "no error";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), platform::error::kOverflow);
      EXPECT_NE(error.description().find("record 2 in column Note"), std::string::npos)
          << error.description();
    }
  }
}

TEST(XlsxFile, ListsBeyondOneSheetAndUnwritablePathsAreErrors) {
  TempPath file(".xlsx");
  try {
    exporter::WriteXlsxFile(HugeList(), file.path());
    ADD_FAILURE() << "no error";
  } catch (const platform::RunTimeError& error) {
    EXPECT_EQ(error.number(), platform::error::kOverflow);
  }
  EXPECT_NE(::access(file.path().c_str(), F_OK), 0);

  try {
    exporter::WriteXlsxFile(ListOf({"a"}, {{"1"}}), "/nonexistent-folder/out.xlsx");
    ADD_FAILURE() << "no error";
  } catch (const platform::RunTimeError& error) {
    EXPECT_EQ(error.number(), platform::error::kPathFileAccess);
    EXPECT_NE(error.description().find("/nonexistent-folder/out.xlsx"), std::string::npos);
  }
}

}  // namespace
