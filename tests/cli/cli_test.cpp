#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "data/load_data.h"
#include "data/stored_amount.h"
#include "export/export_text.h"
#include "platform/controls/memory_list_view.h"
#include "tests/cli/read_back.h"
#include "tests/support/own_terminal.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kSample = KOLVEX_SOURCE_DIR "/samples/TRAN.dbf";

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

std::string Quoted(const std::string& arg) {
  std::string quoted = "'";
  for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The command that starts the program under test: this build's own, or the one named by the
// environment variable of the same name, started through $KOLVEX_PROGRAM_RUNNER when that is set.
// The Windows build runs these tests on its .exe files that way, under Wine, so that the files
// they write are read back by the same Python readers and compared with this build's load.
std::string ProgramCommand(const char* variable, const char* built) {
  const char* program = std::getenv(variable);
  const char* runner = std::getenv("KOLVEX_PROGRAM_RUNNER");
  std::string command = runner != nullptr ? Quoted(runner) + " " : "";
  return command + Quoted(program != nullptr ? program : built);
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// A fresh folder for one test's files.
class Folder {
 public:
  std::string operator/(const std::string& name) const { return (dir_.path() / name).string(); }

 private:
  test_support::TempDir dir_;
};

RunResult RunCommand(std::string command, const std::vector<std::string>& args) {
  Folder folder;
  for (const std::string& arg : args) command += " " + Quoted(arg);
  command += " >" + Quoted(folder / "out") + " 2>" + Quoted(folder / "err");
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFile(folder / "out");
  result.err = ReadFile(folder / "err");
  return result;
}

RunResult RunExport(const std::vector<std::string>& args) {
  return RunCommand(ProgramCommand("KOLVEX_EXPORT", KOLVEX_EXPORT), args);
}

platform::MemoryListView Loaded(const std::string& from, const std::string& to) {
  platform::MemoryListView list;
  data::LoadData(list, kSample, from, to);
  return list;
}

// Every cell of the file against the list the same load gives in this process.
void ExpectFileHoldsList(const std::string& path, const platform::MemoryListView& list,
                         bool typed) {
  const read_back::Grid grid = read_back::ReadSheet(path);
  EXPECT_EQ(read_back::GridTexts(grid), read_back::Normalized(read_back::ListRows(list)));
  if (!typed) return;
  // Member code, date and shift are texts; the other columns of a record are numbers.
  ASSERT_EQ(grid.size(), list.ItemCount() + 1);
  for (std::size_t row = 1; row < grid.size(); ++row) {
    ASSERT_EQ(grid[row].size(), 9u);
    for (std::size_t column = 0; column < 9; ++column) {
      EXPECT_EQ(grid[row][column].type, column < 3 ? "s" : "n") << row << "," << column;
    }
  }
}

TEST(ExportCommand, EachFormatHoldsExactlyTheLoadedList) {
  // Across a month end, the dates given in reverse.
  const platform::MemoryListView list = Loaded("2081/01/30", "2081/02/02");
  ASSERT_GT(list.ItemCount(), 500u);
  Folder folder;

  const RunResult tsv = RunExport({kSample, "2081/02/02", "2081/01/30"});
  EXPECT_EQ(tsv.status, 0) << tsv.err;
  EXPECT_EQ(tsv.out, exporter::BuildExportText(list));

  for (const char* name : {"range.csv", "range.xlsx"}) {
    SCOPED_TRACE(name);
    const RunResult run =
        RunExport({kSample, "2081/02/02", "2081/01/30", "--output", folder / name});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    ExpectFileHoldsList(folder / name, list, std::string(name).ends_with(".xlsx"));
  }
}

// Another build's program, such as the Windows one under Wine, prints byte for byte what this
// build's own prints, in each format; a workbook holds the same cells (its zip records when it was
// written).
TEST(ExportCommand, PrintsWhatThisBuildsOwnProgramPrints) {
  if (std::getenv("KOLVEX_EXPORT") == nullptr) {
    GTEST_SKIP() << "the program under test is this build's own: no other build's to compare";
  }
  const std::string built = Quoted(KOLVEX_EXPORT);
  const std::vector<std::string> month = {kSample, "2081/01/01", "2081/01/31", "--format"};
  for (const char* format : {"tsv", "csv"}) {
    SCOPED_TRACE(format);
    std::vector<std::string> args = month;
    args.push_back(format);
    const RunResult expected = RunCommand(built, args);
    const RunResult run = RunExport(args);
    ASSERT_EQ(expected.status, 0) << expected.err;
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out == expected.out) << "the outputs differ";
  }
  Folder folder;
  std::vector<std::string> args = month;
  args.insert(args.end(), {"xlsx", "--output", folder / "built.xlsx"});
  ASSERT_EQ(RunCommand(built, args).status, 0);
  args.back() = folder / "tested.xlsx";
  EXPECT_EQ(RunExport(args).status, 0);
  EXPECT_TRUE(read_back::ReadSheet(folder / "tested.xlsx") ==
              read_back::ReadSheet(folder / "built.xlsx"))
      << "the workbooks' cells differ";
}

TEST(ExportCommand, AgreesWithAnIndependentReaderOverTheWholeSample) {
  Folder folder;
  const std::string expected = folder / "expected.tsv";
  const std::string command = "/usr/bin/python3 " KOLVEX_SOURCE_DIR "/bench/dbfread_export.py " +
                              Quoted(kSample) + " 2081/01/01 2081/03/31 " + Quoted(expected);
  ASSERT_EQ(std::system(command.c_str()), 0);
  const RunResult run = RunExport({kSample, "2081/01/01", "2081/03/31"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out == ReadFile(expected)) << "the export differs from python3-dbfread's";
}

std::vector<std::vector<std::string>> TsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::vector<std::string> row;
    std::size_t field = start;
    for (std::size_t tab; (tab = text.find('\t', field)) < end; field = tab + 1) {
      row.push_back(text.substr(field, tab - field));
    }
    row.push_back(text.substr(field, end - field));
    rows.push_back(row);
    start = end + 2;
  }
  return rows;
}

// Runs the Python `script`, written into `folder`, with the shell words `args`; returns what
// std::system returns.
int RunPython(const Folder& folder, const std::string& script, const std::string& args) {
  std::ofstream(folder / "script.py") << script;
  const std::string command = "/usr/bin/python3 " + Quoted(folder / "script.py") + " " + args;
  return std::system(command.c_str());
}

// A copy of the sample in `folder` whose stored AMOUNT of every 37th record is a paisa or a few
// more or less than its litres times its rate, as a table mended by hand may hold it.
std::string SampleWithMendedAmounts(const Folder& folder) {
  const std::string table = folder / "TRAN.dbf";
  const std::string mend =
      "import struct, sys\n"
      "data = bytearray(open(sys.argv[1], 'rb').read())\n"
      "count, start, size = struct.unpack('<IHH', data[4:12])\n"
      "offset, at = 1, 32\n"
      "while data[at:at + 7] != b'AMOUNT\\0':\n"
      "    offset, at = offset + data[at + 16], at + 32\n"
      "width = data[at + 16]\n"
      "for n in range(0, count, 37):\n"
      "    field = start + n * size + offset\n"
      "    value = float(data[field:field + width]) + (0.01, -0.03, 0.05)[n % 3]\n"
      "    data[field:field + width] = b'%*.2f' % (width, value)\n"
      "open(sys.argv[2], 'wb').write(data)\n";
  EXPECT_EQ(RunPython(folder, mend, Quoted(kSample) + " " + Quoted(table)), 0);
  return table;
}

// A summary workbook's second title row: the table read, `table`, by its whole path. (A Windows
// program run under Wine spells the path its own way.)
void ExpectTableRead(const std::vector<read_back::Cell>& row, const std::string& table) {
  ASSERT_EQ(row.size(), 1u);
  const std::string prefix = "Read from the table ";
  EXPECT_TRUE(row[0].text.starts_with(prefix) && row[0].text.ends_with("TRAN.dbf")) << row[0].text;
  if (std::getenv("KOLVEX_PROGRAM_RUNNER") == nullptr) {
    EXPECT_EQ(row[0].text, prefix + table);
  }
}

// What the decimal oracle (tests/cli/period_summary.py) gives for `kind` over `table`.
std::string Oracle(const Folder& folder, const std::string& table, const std::string& from,
                   const std::string& to, const std::string& kind) {
  const std::string expected_path = folder / (kind + ".expected");
  const std::string command =
      "/usr/bin/python3 " KOLVEX_SOURCE_DIR "/tests/cli/period_summary.py " + Quoted(table) + " " +
      from + " " + to + " " + kind + " >" + Quoted(expected_path);
  EXPECT_EQ(std::system(command.c_str()), 0);
  return ReadFile(expected_path);
}

// Hundredths of a two-decimal text ("-12.05" is -1205).
long long Paise(const std::string& text) {
  const std::size_t dot = text.find('.');
  EXPECT_EQ(dot + 3, text.size()) << text;
  const long long whole = std::stoll(text.substr(0, dot));
  const long long part = std::stoll(text.substr(dot + 1));
  return whole * 100 + (text[0] == '-' ? -part : part);
}

// The summaries of a month against Python's decimal module over python3-dbfread's reading of the
// table, a copy of the sample with some stored amounts mended: the text byte for byte; the
// workbook's summary sheet with its texts as texts and every other cell that number, then the
// records; the csv's texts. Each money column of the total rows is the sum of the rows above it,
// and the day sheet's totals are the bills'.
TEST(ExportCommand, SummariesAgreeWithPythonDecimalArithmetic) {
  Folder folder;
  const std::string table = SampleWithMendedAmounts(folder);
  platform::MemoryListView records;
  data::LoadWithStoredAmount(records, table, "2081/01/01", "2081/01/31");
  std::map<std::string, long long> bill_totals;
  for (const std::string summary : {"members", "days"}) {
    SCOPED_TRACE(summary);
    const std::string expected = Oracle(folder, table, "2081/01/01", "2081/01/31", summary);
    const RunResult tsv = RunExport({table, "--period", "2081/01", "--summary", summary});
    EXPECT_EQ(tsv.status, 0) << tsv.err;
    EXPECT_TRUE(tsv.out == expected) << "the summary differs from Python's";

    const auto expected_rows = TsvRows(expected);
    const std::vector<std::string>& header = expected_rows.front();
    for (std::size_t column = 0; column < header.size(); ++column) {
      const std::string& name = header[column];
      if (name != "amount" && name != "stored_amount" && name != "difference" &&
          name != "commission") {
        continue;
      }
      SCOPED_TRACE(name);
      long long sum = 0;
      for (std::size_t row = 1; row + 1 < expected_rows.size(); ++row) {
        sum += Paise(expected_rows[row][column]);
      }
      EXPECT_EQ(Paise(expected_rows.back()[column]), sum);
      if (summary == "members") {
        bill_totals[name] = sum;
      } else {
        EXPECT_EQ(sum, bill_totals[name]) << "the day sheet's total is not the bills'";
      }
    }
    EXPECT_NE(bill_totals["difference"], 0) << "the mended amounts show";

    const std::size_t text_columns = summary == "members" ? 1 : 2;
    const RunResult xlsx = RunExport({table, "2081/01/31", "2081/01/01", "--summary", summary,
                                      "--output", folder / "summary.xlsx"});
    EXPECT_EQ(xlsx.status, 0) << xlsx.err;
    // Two title rows, then the summary: its days in order, and the table read.
    const read_back::Grid grid = read_back::ReadSheet(folder / "summary.xlsx");
    ASSERT_EQ(grid.size(), expected_rows.size() + 2);
    const std::string what = summary == "members" ? "Member summary, " : "Day summary, ";
    EXPECT_EQ(grid[0], (std::vector<read_back::Cell>{{"s", what + "2081/01/01 to 2081/01/31"}}));
    ExpectTableRead(grid[1], table);
    for (std::size_t row = 0; row < expected_rows.size(); ++row) {
      for (std::size_t column = 0; column < expected_rows[row].size(); ++column) {
        SCOPED_TRACE(std::to_string(row) + "," + std::to_string(column));
        const std::string& text = expected_rows[row][column];
        const read_back::Cell cell =
            column < grid[row + 2].size() ? grid[row + 2][column] : read_back::Cell{};
        if (text.empty()) {
          EXPECT_EQ(cell.type, "");
        } else if (row == 0 || column < text_columns) {
          EXPECT_EQ(cell, (read_back::Cell{"s", text}));
        } else {
          EXPECT_EQ(cell.type, "n");
          EXPECT_EQ(std::stod(cell.text), std::stod(text));
        }
      }
    }
    const read_back::Grid records_sheet = read_back::ReadSheet(folder / "summary.xlsx", 2);
    EXPECT_EQ(records_sheet.at(0),
              (std::vector<read_back::Cell>{{"s", "Records, 2081/01/01 to 2081/01/31"}}));
    ExpectTableRead(records_sheet.at(1), table);
    EXPECT_EQ(read_back::GridTexts(read_back::Grid(records_sheet.begin() + 2, records_sheet.end())),
              read_back::Normalized(read_back::ListRows(records)));
    // The title bold, the table read plain; the header and total rows bold, the two-decimal
    // columns with the number format "0.00": each row as "bold" or "plain" and its cells' formats.
    const std::string styles =
        "import sys, zipfile, xml.etree.ElementTree as ET\n"
        "M = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'\n"
        "book = zipfile.ZipFile(sys.argv[1])\n"
        "st = ET.fromstring(book.read('xl/styles.xml'))\n"
        "bold = [f.find(M + 'b') is not None for f in st.find(M + 'fonts')]\n"
        "codes = {'0': 'General', '2': '0.00'}\n"
        "codes.update((n.get('numFmtId'), n.get('formatCode')) for n in st.iter(M + 'numFmt'))\n"
        "xfs = [(bold[int(x.get('fontId', 0))], codes[x.get('numFmtId', '0')])\n"
        "       for x in st.find(M + 'cellXfs')]\n"
        "rows = []\n"
        "for r in ET.fromstring(book.read('xl/worksheets/sheet1.xml')).iter(M + 'row'):\n"
        "    cells = [xfs[int(c.get('s', 0))] for c in r.iter(M + 'c')]\n"
        "    kind = 'bold' if all(b for b, _ in cells) else 'plain' if not any(b for b, _ in cells)"
        " else 'mixed'\n"
        "    rows.append(kind + ' ' + ','.join(sorted({f for _, f in cells})))\n"
        "print(*rows[:4], rows[-2], rows[-1])\n";
    ASSERT_EQ(RunPython(folder, styles,
                        Quoted(folder / "summary.xlsx") + " >" + Quoted(folder / "styles.out")),
              0);
    EXPECT_EQ(ReadFile(folder / "styles.out"),
              "bold General plain General bold General plain 0.00,General plain 0.00,General "
              "bold 0.00,General\n");

    const RunResult csv = RunExport(
        {table, "--period=2081/01", "--summary=" + summary, "--output", folder / "s.csv"});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(read_back::GridTexts(read_back::ReadSheet(folder / "s.csv")),
              read_back::Normalized(expected_rows));
  }
}

// A summary workbook's title: a period by its month's name and part, other days by their first and
// last date, as the load completes and orders them; on the summary's sheet and the records'.
TEST(ExportCommand, SummaryWorkbookTitlesNameThePeriodOrTheDays) {
  struct Case {
    std::vector<std::string> days;
    const char* summary;
    const char* title;  // after the sheet's name
  };
  const Case cases[] = {
      {{"--period", "2081/01/1"}, "members", "Baisakh 2081, first half: 2081/01/01 to 2081/01/15"},
      {{"--period", "2080/11/2"}, "days", "Falgun 2080, second half: 2080/11/16 to 2080/11/30"},
      {{"--period", "2080/12"}, "members", "Chaitra 2080, whole month: 2080/12/01 to 2080/12/30"},
      {{"2081/01/02", "2081/01/__"}, "days", "2081/01/01 to 2081/01/02"},
  };
  Folder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::vector<std::string> args = {kSample};
    args.insert(args.end(), c.days.begin(), c.days.end());
    args.insert(args.end(), {"--summary", c.summary, "--output", folder / "titled.xlsx"});
    const RunResult run = RunExport(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string summary = std::string(c.summary) == "members" ? "Member" : "Day";
    const std::string sheets[] = {summary + " summary, ", "Records, "};
    for (int sheet = 1; sheet <= 2; ++sheet) {
      const read_back::Grid grid = read_back::ReadSheet(folder / "titled.xlsx", sheet);
      ASSERT_GT(grid.size(), 2u);
      EXPECT_EQ(grid[0], (std::vector<read_back::Cell>{{"s", sheets[sheet - 1] + c.title}}));
      ExpectTableRead(grid[1], kSample);
    }
  }
}

// The slips of a half month, read back with pdftotext, against the decimal oracle's text of them,
// line by line (blanks between words made one).
TEST(ExportCommand, SlipsReadBackAsTheDecimalOracleWritesThem) {
  Folder folder;
  const std::string table = SampleWithMendedAmounts(folder);
  const RunResult run = RunExport(
      {table, "--period", "2081/01/1", "--summary", "slips", "--output", folder / "slips.pdf"});
  if (run.status == 2 && run.err.find("writes no slips") != std::string::npos) {
    GTEST_SKIP() << "the program under test was built without the slips";
  }
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const std::string text = folder / "slips.txt";
  const std::string read = "pdftotext -layout " + Quoted(folder / "slips.pdf") + " - | tr -s " +
                           "' \\f' '  ' | sed 's/^ *//; s/ *$//' | grep -v '^$' >" + Quoted(text);
  ASSERT_EQ(std::system(read.c_str()), 0);
  const std::string expected = Oracle(folder, table, "2081/01/01", "2081/01/15", "slips");
  EXPECT_NE(expected.find("Stored amount"), std::string::npos) << "the mended amounts show";
  EXPECT_TRUE(ReadFile(text) == expected) << "the slips' text differs from Python's";
}

// Standard output takes a workbook as it is; "--output -" is standard output, as other commands
// take it, and a file of that name is "./-". (Which format each command line asks for is in
// tests/app/export_command_test.cpp.)
TEST(ExportCommand, StandardOutputTakesAWorkbookAndIsNamedByDash) {
  Folder folder;
  const RunResult xlsx = RunExport({kSample, "2081/01/01", "2081/01/01", "--format", "xlsx"});
  EXPECT_EQ(xlsx.status, 0) << xlsx.err;
  EXPECT_TRUE(xlsx.out.starts_with("PK\x03\x04")) << "a workbook on standard output";

  const std::string in_folder =
      "cd " + Quoted(folder / "") + " && " + ProgramCommand("KOLVEX_EXPORT", KOLVEX_EXPORT);
  const RunResult dash =
      RunCommand(in_folder, {kSample, "2081/01/01", "2081/01/01", "--output", "-"});
  EXPECT_EQ(dash.status, 0) << dash.err;
  EXPECT_TRUE(dash.out.starts_with("mem_code\tne_date\t"));
  EXPECT_FALSE(Exists(folder / "-"));
  const RunResult file =
      RunCommand(in_folder, {kSample, "2081/01/01", "2081/01/01", "--output", "./-"});
  EXPECT_EQ(file.status, 0) << file.err;
  EXPECT_EQ(file.out, "");
  EXPECT_EQ(ReadFile(folder / "-"), dash.out);
}

TEST(ExportCommand, DaysWithoutRecordsGiveTheHeaderLineAlone) {
  const RunResult run = RunExport({kSample, "2082/01/01", "2082/01/05"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "mem_code\tne_date\tcoll_time\tvolume_lt\tfat\tsnf\tts_comm\trate\tamount\r\n");
}

// FROM and TO are completed as leaving the window's date box completes them, so the command and
// the window load the same days.
TEST(ExportCommand, DatesAreCompletedAsTheWindowsDateBoxCompletesThem) {
  struct Case {
    const char* from;
    const char* to;
    const char* loaded_from;  // nullptr: no date, the load fails as the window's does
    const char* loaded_to;
  };
  const Case cases[] = {
      {"2081/02/30", "2081/03/__", "2081/02/30", "2081/03/01"},
      {"2081/1_/3_", "2081/01/5_", "2081/01/03", "2081/01/05"},
      {"2081/00/05", "2081/01/05", "2081/01/05", "2081/01/05"},
      {"____/__/__", "2081/05/05", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " " + c.to);
    const RunResult run = RunExport({kSample, c.from, c.to});
    if (c.loaded_from == nullptr) {
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.out, "");
      continue;
    }
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out == exporter::BuildExportText(Loaded(c.loaded_from, c.loaded_to)));
  }
}

TEST(ExportCommand, AFailedLoadWritesNothingAndReportsNumberAndDescription) {
  Folder folder;
  const std::string kept = folder / "kept.tsv";
  std::ofstream(kept) << "earlier export";
  struct Case {
    const char* why;
    std::vector<std::string> args;
    std::string advice;  // the line after the message, which the window's status line shows
  };
  const Case cases[] = {
      {"no such database", {folder / "missing.dbf", "2081/01/01", "2081/01/02"}, ""},
      {"a date past the calendar",
       {kSample, "5000/12/30", "5000/12/31"},
       "The calendar ends on 5000/12/31: end the range a day earlier."},
      {"the calendar's last half-month",
       {kSample, "--period", "5000/12/2"},
       "The calendar ends on 5000/12/31, and a load cannot end on its last day: the calendar's "
       "last half-month cannot be listed. Give --period 5000/12/1, or FROM TO ending by "
       "5000/12/30."},
      {"the calendar's last month",
       {kSample, "--period", "5000/12"},
       "The calendar ends on 5000/12/31, and a load cannot end on its last day: the calendar's "
       "last half-month cannot be listed. Give --period 5000/12/1, or FROM TO ending by "
       "5000/12/30."},
      {"a blank date",
       {kSample, "0000/00/00", "2081/01/02"},
       "The first date is not a BS date from 1500/01/01 to 5000/12/31: type a date as "
       "yyyy/mm/dd."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    for (const std::string& output : {folder / "new.xlsx", kept}) {
      std::vector<std::string> args = c.args;
      args.insert(args.end(), {"--output", output});
      const RunResult run = RunExport(args);
      EXPECT_EQ(run.status, 1);
      // A Windows program ends its lines with CR LF. The message is the window's, the error's
      // own words for a date; what to mend follows on a line of its own.
      if (c.advice.empty()) {
        EXPECT_TRUE(std::regex_match(run.err, std::regex("-?[0-9]+: .+\r?\n"))) << run.err;
      } else {
        EXPECT_TRUE(std::regex_match(
            run.err, std::regex("9: Subscript out of range\r?\n" + c.advice + "\r?\n")))
            << run.err;
      }
    }
    EXPECT_FALSE(Exists(folder / "new.xlsx"));
    EXPECT_EQ(ReadFile(kept), "earlier export");
    const RunResult to_stdout = RunExport(c.args);
    EXPECT_EQ(to_stdout.status, 1);
    EXPECT_EQ(to_stdout.out, "");
  }
}

// The program says a usage error and the usage on standard error and ends with 2; --help prints
// the usage on standard output and ends with 0. (Each wrong argument is a row of
// tests/app/export_command_test.cpp.)
TEST(ExportCommand, WrongArgumentsEndWithTwoAndHelpWithZero) {
  const RunResult wrong = RunExport({kSample, "2081/01/01"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_TRUE(wrong.err.starts_with("kolvex-export: expected DATABASE FROM TO")) << wrong.err;
  EXPECT_NE(wrong.err.find("Usage: kolvex-export DATABASE FROM TO"), std::string::npos);

  const RunResult help = RunExport({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: kolvex-export DATABASE FROM TO"));
  EXPECT_EQ(help.err, "");
}

TEST(ExportCommand, TheTableIsLeftAsItWas) {
  struct stat before = {};
  ASSERT_EQ(::stat(kSample.c_str(), &before), 0);
  const std::string bytes = ReadFile(kSample);
  Folder folder;
  for (const char* name : {"a.tsv", "a.csv", "a.xlsx"}) {
    EXPECT_EQ(RunExport({kSample, "2081/01/01", "2081/01/03", "--output", folder / name}).status,
              0);
  }
  // The database named as the output is refused, whatever the file is called.
  EXPECT_EQ(RunExport({kSample, "2081/01/01", "2081/01/03", "--output", kSample}).status, 2);

  struct stat after = {};
  ASSERT_EQ(::stat(kSample.c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_TRUE(ReadFile(kSample) == bytes);
}

// The files the load reads, the table and its memo file, are never written over, however the
// output reaches them: a link, a hard link, a DATABASE that names the folder another way or another
// file in it, and on Windows the names that system takes for the table's (trailing dots and blanks
// dropped, letter case ignored). Each is refused with 75 naming both files, and nothing is written.
TEST(ExportCommand, NeverWritesOverAFileTheLoadReads) {
  const bool windows = std::getenv("KOLVEX_PROGRAM_RUNNER") != nullptr;
  Folder folder;
  ASSERT_EQ(::mkdir((folder / "db").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((folder / "m").c_str(), 0755), 0);
  const std::string table = folder / "db/TRAN.dbf";
  std::ofstream(table, std::ios::binary) << ReadFile(kSample);
  std::ofstream(folder / "db/OTHER.dbf") << "another table";
  // A table with a memo field, which the load opens with its memo file.
  const std::string script =
      "import dbf, sys\n"
      "t = dbf.Table(sys.argv[1], 'MEM_CODE C(6); NE_DATE C(10); COLL_TIME C(1); VOLUME_LT N(8,2); "
      "FAT_PER N(6,2); SNF N(6,2); TS_COMM N(8,2); RATE N(8,2); AMOUNT N(10,2); NOTE M', "
      "dbf_type='vfp')\n"
      "t.open(dbf.READ_WRITE)\n"
      "t.append(('A1', '01/01/2081', 'M', 1, 4, 8, 0, 40, 40, 'a note'))\n"
      "t.close()\n";
  std::ofstream(folder / "make.py") << script;
  ASSERT_EQ(std::system(("/usr/bin/python3 " + Quoted(folder / "make.py") + " " +
                         Quoted(folder / "m/TRAN.dbf"))
                            .c_str()),
            0);
  const std::string memo = folder / "m/TRAN.fpt";
  ASSERT_TRUE(Exists(memo));
  ASSERT_EQ(::symlink("db/TRAN.dbf", (folder / "link.tsv").c_str()), 0);
  ASSERT_EQ(::link(table.c_str(), (folder / "hard.tsv").c_str()), 0);
  ASSERT_EQ(::symlink("m/TRAN.fpt", (folder / "memo.tsv").c_str()), 0);
  const std::string table_bytes = ReadFile(table);
  const std::string memo_bytes = ReadFile(memo);

  struct Case {
    const char* why;
    std::string database;
    std::string output;
    const char* read;           // the file named as the one the load reads
    bool windows_name = false;  // the table's on Windows, another file elsewhere
  };
  const Case cases[] = {
      {"a link to the table", folder / "db", folder / "link.tsv", "TRAN.dbf"},
      {"the folder named another way", folder / "db/./", folder / "link.tsv", "TRAN.dbf"},
      {"another file of the folder", folder / "db/OTHER.dbf", folder / "link.tsv", "TRAN.dbf"},
      {"a hard link to the table", folder / "db", folder / "hard.tsv", "TRAN.dbf"},
      {"a link to the memo file", folder / "m/TRAN.dbf", folder / "memo.tsv", "TRAN.fpt"},
      {"a trailing dot", folder / "db", folder / "db/TRAN.dbf.", "TRAN.dbf", true},
      {"a trailing blank", folder / "db", folder / "db/TRAN.dbf ", "TRAN.dbf", true},
      {"dots and blanks", folder / "db", folder / "db/TRAN.dbf. .", "TRAN.dbf", true},
      {"another letter case", folder / "db", folder / "db/tran.DBF..", "TRAN.dbf", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const RunResult run = RunExport({c.database, "2081/01/01", "2081/01/02", "--output", c.output});
    if (c.windows_name && !windows) {
      EXPECT_EQ(run.status, 0) << run.err;  // a file of its own here
      continue;
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("75: ")) << run.err;
    EXPECT_NE(run.err.find(c.output), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.read), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_TRUE(ReadFile(table) == table_bytes) << "the table was written";
  EXPECT_TRUE(ReadFile(memo) == memo_bytes) << "the memo file was written";
  struct stat link {};
  ASSERT_EQ(::lstat((folder / "link.tsv").c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));

  // A link to a file the load does not read is followed, on Windows too, and that file replaced.
  std::ofstream(folder / "day.tsv") << "old";
  ASSERT_EQ(::symlink("day.tsv", (folder / "latest.tsv").c_str()), 0);
  const RunResult through_link =
      RunExport({folder / "db", "2081/01/01", "2081/01/01", "--output", folder / "latest.tsv"});
  EXPECT_EQ(through_link.status, 0) << through_link.err;
  EXPECT_TRUE(ReadFile(folder / "day.tsv").starts_with("mem_code\t"));
  ASSERT_EQ(::lstat((folder / "latest.tsv").c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
}

// A table and an output in a path longer than Windows' old limit of 260 characters are found and
// written, the path given as it is or, on Windows, in its "\\?\" form.
TEST(ExportCommand, ReadsAndWritesInPathsOverWindowsOldLimit) {
  const bool windows = std::getenv("KOLVEX_PROGRAM_RUNNER") != nullptr;
  Folder folder;
  std::string deep = folder / "";
  for (const char c : {'a', 'b', 'c'}) {
    deep += std::string(90, c) + "/";
    ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
  }
  ASSERT_GT(deep.size(), 260u);
  std::ofstream(deep + "TRAN.dbf", std::ios::binary) << ReadFile(kSample);
  std::string long_form = "\\\\?\\Z:";  // Wine's drive Z: is the root folder
  for (const char c : deep) long_form += c == '/' ? '\\' : c;
  const std::string expected = exporter::BuildExportText(Loaded("2081/01/01", "2081/01/01"));
  std::vector<std::string> sources = {deep, deep + "TRAN.dbf"};
  if (windows) sources.insert(sources.end(), {long_form, long_form + "TRAN.dbf"});
  for (const std::string& source : sources) {
    SCOPED_TRACE(source);
    const RunResult run = RunExport({source, "2081/01/01", "2081/01/01"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out == expected);
    const RunResult to_file =
        RunExport({source, "2081/01/01", "2081/01/01", "--output", deep + "day.tsv"});
    EXPECT_EQ(to_file.status, 0) << to_file.err;
    EXPECT_TRUE(ReadFile(deep + "day.tsv") == expected);
    std::remove((deep + "day.tsv").c_str());
  }
}

// Output that is not a plain file is written into, as the shell's ">" would: a pipe for its
// reader, standard output under another name, a terminal. A link is followed: its target is
// replaced and the link stays.
TEST(ExportCommand, OutputThatIsNotAPlainFileIsWrittenIntoAndLinksAreFollowed) {
  if (std::getenv("KOLVEX_PROGRAM_RUNNER") != nullptr) {
    GTEST_SKIP() << "pipes, terminals and links as a POSIX program meets them: the program under "
                    "test runs under Wine (its devices are tested in platform_test)";
  }
  const std::string expected = exporter::BuildExportText(Loaded("2081/01/01", "2081/01/01"));
  const std::vector<std::string> day = {kSample, "2081/01/01", "2081/01/01", "--output"};
  auto to = [&](const std::string& output, std::vector<std::string> more = {}) {
    std::vector<std::string> args = day;
    args.push_back(output);
    args.insert(args.end(), more.begin(), more.end());
    return RunExport(args);
  };
  Folder folder;

  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  std::string piped;
  std::thread reader([&] { piped = ReadFile(folder / "pipe"); });
  const RunResult to_pipe = to(folder / "pipe");
  reader.join();
  EXPECT_EQ(to_pipe.status, 0) << to_pipe.err;
  EXPECT_TRUE(piped == expected);
  struct stat pipe {};
  ASSERT_EQ(::stat((folder / "pipe").c_str(), &pipe), 0);
  EXPECT_TRUE(S_ISFIFO(pipe.st_mode));

  // The command's own standard output, through a link of the test's: /dev/stdout elsewhere.
  ASSERT_EQ(::symlink("/proc/self/fd/1", (folder / "stdout").c_str()), 0);
  const RunResult to_stdout = to(folder / "stdout");
  EXPECT_EQ(to_stdout.status, 0) << to_stdout.err;
  EXPECT_TRUE(to_stdout.out == expected);

  ASSERT_EQ(::mkdir((folder / "files").c_str(), 0755), 0);
  std::ofstream(folder / "files/day.tsv") << "old";
  ASSERT_EQ(::symlink("files/day.tsv", (folder / "latest.tsv").c_str()), 0);
  const RunResult through_link = to(folder / "latest.tsv");
  EXPECT_EQ(through_link.status, 0) << through_link.err;
  EXPECT_TRUE(ReadFile(folder / "files/day.tsv") == expected);
  struct stat link {};
  ASSERT_EQ(::lstat((folder / "latest.tsv").c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));

  test_support::OwnTerminal terminal;
  if (terminal.device().empty()) GTEST_SKIP() << "no pseudo-terminal can be made here";
  ASSERT_EQ(::symlink(terminal.device().c_str(), (folder / "screen").c_str()), 0);
  std::string shown;
  std::thread watcher([&] { shown = terminal.Take(expected.size()); });
  const RunResult to_terminal = to(folder / "screen");
  watcher.join();
  EXPECT_EQ(to_terminal.status, 0) << to_terminal.err;
  EXPECT_TRUE(shown == expected);
  const RunResult workbook = to(folder / "screen", {"--format", "xlsx"});
  EXPECT_EQ(workbook.status, 2);
  EXPECT_NE(workbook.err.find("a workbook is not written to a terminal"), std::string::npos);
}

// A workbook for standard output is made in a temporary file first; a reader that stops early
// leaves no such file behind.
TEST(ExportCommand, AWorkbookCutOffByItsReaderLeavesNoFileBehind) {
  Folder folder;
  const std::string temporary = folder / "tmp";
  ASSERT_EQ(::mkdir(temporary.c_str(), 0700), 0);
  const std::string command =
      "TMPDIR=" + Quoted(temporary) + " " + ProgramCommand("KOLVEX_EXPORT", KOLVEX_EXPORT) + " " +
      Quoted(kSample) + " 2081/01/01 2081/03/31 --format xlsx | head -c 4 >" +
      Quoted(folder / "head");
  std::system(command.c_str());
  EXPECT_EQ(ReadFile(folder / "head"), "PK\x03\x04");
  // Only the command's own files count: Wine, running a Windows build, keeps a folder there.
  for (const auto& entry : std::filesystem::directory_iterator(temporary)) {
    EXPECT_EQ(entry.path().filename().string().find("kolvex-export"), std::string::npos)
        << entry.path();
  }
}

// A destination that cannot take the whole export (the file size limit reached here) is told of
// once, naming the destination, never a file made for it or the workbook library's own lines; the
// destination keeps what it held and nothing is left behind.
TEST(ExportCommand, AnOutputThatCannotBeWrittenIsToldOfOnceByItsName) {
  if (std::getenv("KOLVEX_PROGRAM_RUNNER") != nullptr) {
    GTEST_SKIP()
        << "the file size limit of a POSIX program: the program under test runs under Wine";
  }
  struct Case {
    const char* format;
    bool to_file;
  };
  const Case cases[] = {
      {"tsv", true}, {"csv", true}, {"xlsx", true}, {"tsv", false}, {"xlsx", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + (c.to_file ? " to a file" : " to standard output"));
    Folder folder;
    ASSERT_EQ(::mkdir((folder / "out").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((folder / "tmp").c_str(), 0700), 0);
    const std::string destination = folder / "out/export.dat";
    std::ofstream(destination) << "earlier export";
    std::vector<std::string> args = {kSample, "2081/01/01", "2081/03/31", "--format", c.format};
    if (c.to_file) args.insert(args.end(), {"--output", destination});
    // 4 KiB in the 512-byte blocks of /bin/sh's ulimit.
    const RunResult run = RunCommand("ulimit -f 8; TMPDIR=" + Quoted(folder / "tmp") + " " +
                                         ProgramCommand("KOLVEX_EXPORT", KOLVEX_EXPORT),
                                     args);
    EXPECT_EQ(run.status, 1);
    const std::string named = c.to_file ? "'" + destination + "'" : "standard output";
    EXPECT_TRUE(std::regex_match(run.err, std::regex("75: [^\n]+\n"))) << run.err;
    EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(".."), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(destination), "earlier export");
    for (const char* left : {"out", "tmp"}) {
      for (const auto& entry : std::filesystem::directory_iterator(folder / left)) {
        EXPECT_EQ(entry.path().filename(), "export.dat") << entry.path();
      }
    }
  }
}

// The collection software appends records to the table while exports run: each export reads
// the records counted when it opened the table, every one whole.
TEST(ExportCommand, ExportsWhileTheTableGrowsReadWholeRecords) {
  Folder folder;
  const std::string table = folder / "TRAN.dbf";
  const std::string bytes = ReadFile(kSample);
  std::ofstream(table, std::ios::binary) << bytes;
  auto le = [&](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
      value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
  };
  const std::uint32_t first_count = le(4, 4);
  const std::uint32_t header = le(8, 2);
  const std::uint32_t length = le(10, 2);
  // Copies of the first record, a record of 2081/01/01, one after the other.
  const std::string record = bytes.substr(header, length);
  ASSERT_NE(record.find("01/01/2081"), std::string::npos) << record;
  const std::size_t day_rows = Loaded("2081/01/01", "2081/01/01").ItemCount();

  std::atomic<bool> done{false};
  std::atomic<std::uint32_t> appended{0};
  const bool under_wine = std::getenv("KOLVEX_PROGRAM_RUNNER") != nullptr;
  std::thread appender([&] {
    const int file = ::open(table.c_str(), O_WRONLY);
    for (std::uint32_t count = first_count; file >= 0 && !done && count < first_count + 100000;
         ++count) {
      const std::string with_mark = record + "\x1A";
      const std::uint32_t counted = count + 1;
      char le_count[4] = {static_cast<char>(counted), static_cast<char>(counted >> 8),
                          static_cast<char>(counted >> 16), static_cast<char>(counted >> 24)};
      if (::pwrite(file, with_mark.data(), with_mark.size(),
                   header + static_cast<off_t>(count) * length) < 0 ||
          ::pwrite(file, le_count, 4, 4) < 0) {
        break;
      }
      ++appended;
      // Paced far busier than any collection centre: a few thousand records a second. A load
      // opens the table between two appends, when its header and last record read alike; under
      // Wine those reads take a millisecond or more, so there a record comes every 10 ms.
      std::this_thread::sleep_for(under_wine ? std::chrono::microseconds(10000)
                                             : std::chrono::microseconds(100));
    }
    if (file >= 0) ::close(file);
    done = true;
  });
  while (appended == 0 && !done) std::this_thread::yield();
  std::vector<std::string> failures;
  // Fewer runs of a program that starts under Wine, each of which takes a second or so.
  const int runs = under_wine ? 10 : 40;
  for (int run = 0; run < runs && failures.empty(); ++run) {
    const RunResult day = RunExport({folder / "", "2081/01/01", "2081/01/01"});
    std::size_t rows = 0;
    for (std::size_t at = day.out.find("\r\n"); at != std::string::npos;
         at = day.out.find("\r\n", at + 2)) {
      ++rows;
    }
    if (day.status != 0 || rows <= day_rows) failures.push_back(day.err);
  }
  done = true;
  appender.join();
  EXPECT_TRUE(failures.empty()) << failures.front();
}

TEST(SampleTable, IsWhatTheGeneratorWritesAndWhatPythonDbfReads) {
  Folder folder;
  const std::string made = folder / "TRAN.dbf";
  const std::string generate = ProgramCommand("MAKE_TRAN_TABLE", MAKE_TRAN_TABLE) + " " +
                               Quoted(made) +
                               " --months 3 --members 300 --attendance 65 --deleted 3 >/dev/null";
  ASSERT_EQ(std::system(generate.c_str()), 0);
  EXPECT_TRUE(ReadFile(made) == ReadFile(kSample)) << "samples/TRAN.dbf is out of date";

  // Two readers that are not ours: python3-dbf for the structure and the count, dbfread for the
  // deleted records and the first and last day keys.
  const std::string script =
      "import dbf, dbfread, sys\n"
      "t = dbf.Table(sys.argv[1]); t.open(dbf.READ_ONLY)\n"
      "r = dbfread.DBF(sys.argv[1])\n"
      "keys = [x['NE_DATE'] for x in r]\n"
      "days = sorted(k[6:] + k[3:5] + k[:2] for k in keys)\n"
      "print(' '.join(t.field_names), len(t), len(r.deleted), days[0], days[-1])\n";
  std::ofstream(folder / "check.py") << script;
  const std::string command = "/usr/bin/python3 " + Quoted(folder / "check.py") + " " +
                              Quoted(kSample) + " >" + Quoted(folder / "check.out");
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(folder / "check.out"),
            "mem_code ne_date coll_time volume_lt fat_per snf ts_comm rate amount 36622 106 "
            "20810101 20810331\n");
}

}  // namespace
