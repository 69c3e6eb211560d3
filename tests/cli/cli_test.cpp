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
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "data/load_data.h"
#include "export/export_text.h"
#include "platform/list_view.h"
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

TEST(ExportCommand, TheFormatComesFromTheOptionOrElseTheExtension) {
  struct Case {
    std::vector<std::string> options;
    std::string file;
    std::string starts_with;
  };
  const Case cases[] = {
      {{}, "out.CSV", "mem_code,ne_date,"},
      {{}, "out.txt", "mem_code\tne_date\t"},
      {{}, "out.Xlsx", "PK\x03\x04"},
      // Not "out.csv": names that differ only in letter case are one file on Windows.
      {{"--format", "tsv"}, "forced.csv", "mem_code\tne_date\t"},
      {{"--format=xlsx"}, "out.dat", "PK\x03\x04"},
      {{"--format", "CSV"}, "out", "mem_code,ne_date,"},
  };
  Folder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<std::string> args = {kSample, "2081/01/01", "2081/01/01", "--output",
                                     folder / c.file};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const RunResult run = RunExport(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ReadFile(folder / c.file).starts_with(c.starts_with));
  }
  const RunResult xlsx = RunExport({kSample, "2081/01/01", "2081/01/01", "--format", "xlsx"});
  EXPECT_EQ(xlsx.status, 0) << xlsx.err;
  EXPECT_TRUE(xlsx.out.starts_with("PK\x03\x04")) << "a workbook on standard output";
}

TEST(ExportCommand, DaysWithoutRecordsGiveTheHeaderLineAlone) {
  const RunResult run = RunExport({kSample, "2082/01/01", "2082/01/05"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "mem_code\tne_date\tcoll_time\tvolume_lt\tfat\tsnf\tts_comm\trate\tamount\r\n");
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

TEST(ExportCommand, WrongArgumentsAreUsageErrors) {
  Folder folder;
  const std::vector<std::vector<std::string>> cases = {
      {},
      {kSample, "2081/01/01"},
      {kSample, "2081/01/01", "2081/01/02", "extra"},
      {kSample, "2081-01-01", "2081/01/02"},
      {kSample, "2081/1/1", "2081/01/02"},
      {kSample, "2081/01/01'", "2081/01/02"},
      {kSample, "' or 1=1 --", "2081/01/02"},
      {kSample, "2081/01/0a", "2081/01/02"},
      {kSample, "20810/01/0", "2081/01/02"},
      {kSample, "2081/01/01", "2081/01/02", "--format", "ods"},
      {kSample, "2081/01/01", "2081/01/02", "--format"},
      {kSample, "2081/01/01", "2081/01/02", "--verbose"},
      {kSample, "2081/01/01", "2081/01/02", "--output", folder / "a", "--output", folder / "b"},
      // The command never writes a table file.
      {kSample, "2081/01/01", "2081/01/02", "--output", folder / "copy.DBF"},
      {kSample, "2081/01/01", "2081/01/02", "--output", folder / "TRAN.fpt"},
  };
  for (const auto& args : cases) {
    std::string shown;
    for (const std::string& arg : args) shown += arg + " ";
    SCOPED_TRACE(shown);
    const RunResult run = RunExport(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Usage: kolvex-export DATABASE FROM TO"), std::string::npos);
  }
  for (const char* name : {"a", "b", "copy.DBF", "TRAN.fpt"}) EXPECT_FALSE(Exists(folder / name));

  const RunResult help = RunExport({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: kolvex-export DATABASE FROM TO"));
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
      // Paced as a busy collection centre might be, at a few thousand records a second.
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    if (file >= 0) ::close(file);
    done = true;
  });
  while (appended == 0 && !done) std::this_thread::yield();
  std::vector<std::string> failures;
  // Fewer runs of a program that starts under Wine, each of which takes a second or so.
  const int runs = std::getenv("KOLVEX_PROGRAM_RUNNER") != nullptr ? 10 : 40;
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
