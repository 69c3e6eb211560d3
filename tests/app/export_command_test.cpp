// kolvex-export's arguments in this process: what each command line is read as, or the usage
// error that refuses it, before anything is read or written. tests/cli/ runs the real program.
#include "app/export_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "export/slips_pdf.h"
#include "platform/run_time_error.h"
#include "tests/support/temp_dir.h"

namespace {

// The arguments read, as a row of the table gives them: the database and the days, then whatever
// else was given.
std::string Shown(const export_command::Arguments& args) {
  static const char* const kFormats[] = {" tsv", " csv", " xlsx", " pdf"};
  static const char* const kParts[] = {"/1", "/2", ""};
  std::string shown = args.database + " " + args.from + " " + args.to;
  if (args.output) shown += " >" + *args.output;
  if (args.format) shown += kFormats[static_cast<int>(*args.format)];
  if (args.summary) shown += args.summary == exporter::Summary::kMembers ? " members" : " days";
  if (args.slips) shown += " slips";
  if (args.period) {
    const int month = args.period->month;
    shown += " period " + std::to_string(args.period->year) + (month < 10 ? "/0" : "/") +
             std::to_string(month) + kParts[static_cast<int>(args.period->part)];
  }
  if (args.period_ends_calendar) shown += " ends-calendar";
  return shown;
}

std::string Usage(const std::string& message) { return "usage: " + message; }

std::string NotAPeriod(const std::string& period) {
  return Usage("'" + period +
               "' is not a period: give yyyy/mm, yyyy/mm/1 or yyyy/mm/2 of a BS year from 1500 to "
               "5000");
}

std::string NotADate(const std::string& date) {
  return Usage("'" + date + "' is not a BS date of the form yyyy/mm/dd");
}

// Each command line: what it is read as (Shown), "help", or "usage: " and the message that
// refuses it with the usage and status 2, writing nothing. `terminal`: standard output is one.
TEST(KolvexExport, EachCommandLineIsReadOrRefused) {
  test_support::TempDir dir;
  const std::string d = (dir.path() / "").string();
  std::ofstream(d + "copy") << "a table";
  const std::string f = "2081/01/01";
  const std::string t = "2081/01/02";
  const std::string days = "db " + f + " " + t;
  const std::string slips = "db 2081/01/01 2081/01/15 >s.pdf pdf slips period 2081/01/1";
  const std::string no_slips =
      Usage("this build writes no slips: it was made without the PDF library");
  const bool built = exporter::kSlipsBuilt;
  struct Row {
    std::vector<std::string> args;
    std::string expected;
    bool terminal = false;
  };
  const Row rows[] = {
      // The days as given, in either order, blanks where a date box may have them.
      {{"db", "2081/02/02", "2081/01/30"}, "db 2081/02/02 2081/01/30"},
      {{"db", "2081/01/__", "____/__/__"}, "db 2081/01/__ ____/__/__"},
      {{"--output", "o.csv", "db", f, "--summary", "days", t}, days + " >o.csv csv days"},
      {{"--", "-db", f, t}, "-db " + f + " " + t},
      {{"-", f, t}, "- " + f + " " + t},
      // The format from the option, else from the output's extension.
      {{"db", f, t, "--output", "out.CSV"}, days + " >out.CSV csv"},
      {{"db", f, t, "--output", "out.txt"}, days + " >out.txt tsv"},
      {{"db", f, t, "--output", "out.Xlsx"}, days + " >out.Xlsx xlsx"},
      {{"db", f, t, "--output", "dir.csv/out"}, days + " >dir.csv/out tsv"},
      {{"db", f, t, "--format", "tsv", "--output", "forced.csv"}, days + " >forced.csv tsv"},
      {{"db", f, t, "--format=xlsx", "--output=out.dat"}, days + " >out.dat xlsx"},
      {{"db", f, t, "--format", "CSV", "--output", "out"}, days + " >out csv"},
      {{"db", f, t, "--format", "xlsx"}, days + " xlsx"},
      // "-" is standard output; a file of that name is "./-".
      {{"db", f, t, "--output", "-"}, days},
      {{"db", f, t, "--output", "./-"}, days + " >./- tsv"},
      // A period: a BS month of 29 to 32 days, or its half.
      {{"db", "--period", "2081/01"}, "db 2081/01/01 2081/01/31 period 2081/01"},
      {{"db", "--period", "2081/02"}, "db 2081/02/01 2081/02/32 period 2081/02"},
      {{"db", "--period", "2081/06"}, "db 2081/06/01 2081/06/30 period 2081/06"},
      {{"db", "--period", "2081/09"}, "db 2081/09/01 2081/09/29 period 2081/09"},
      {{"db", "--period", "2081/02/1"}, "db 2081/02/01 2081/02/15 period 2081/02/1"},
      {{"db", "--period", "2081/02/2"}, "db 2081/02/16 2081/02/32 period 2081/02/2"},
      {{"db", "--period", "2081/09/2"}, "db 2081/09/16 2081/09/29 period 2081/09/2"},
      {{"db", "--period", "2081/12/2"}, "db 2081/12/16 2081/12/31 period 2081/12/2"},
      {{"--period=1500/01/1", "db", "--summary=members"},
       "db 1500/01/01 1500/01/15 members period 1500/01/1"},
      {{"db", "--period", "5000/12/1"}, "db 5000/12/01 5000/12/15 period 5000/12/1"},
      {{"db", "--period", "5000/12/2"}, "db 5000/12/16 5000/12/31 period 5000/12/2 ends-calendar"},
      {{"db", "--period", "5000/12"}, "db 5000/12/01 5000/12/31 period 5000/12 ends-calendar"},
      {{"db", "--period", "2081/01/1", "--summary", "slips", "--output", "s.pdf"},
       built ? slips : no_slips},
      // Help, wherever it stands before a wrong argument.
      {{"--help"}, "help"},
      {{"-h"}, "help"},
      {{"db", "--help", "--format", "ods"}, "help"},
      // Wrong arguments.
      {{}, Usage("expected DATABASE FROM TO")},
      {{"db", f}, Usage("expected DATABASE FROM TO")},
      {{"db", f, t, "extra"}, Usage("expected DATABASE FROM TO")},
      {{"--", "db", f, t, "--help"}, Usage("expected DATABASE FROM TO")},
      {{"db", "2081-01-01", t}, NotADate("2081-01-01")},
      {{"db", "2081/1/1", t}, NotADate("2081/1/1")},
      {{"db", "2081/01/01'", t}, NotADate("2081/01/01'")},
      {{"db", "' or 1=1 --", t}, NotADate("' or 1=1 --")},
      {{"db", "2081/01/0a", t}, NotADate("2081/01/0a")},
      {{"db", f, "20810/01/0"}, NotADate("20810/01/0")},
      {{"db", f, t, "--format", "ods"}, Usage("unknown format 'ods': use tsv, csv or xlsx")},
      {{"db", f, t, "--format"}, Usage("--format needs a value")},
      {{"db", f, t, "--format", "tsv", "--format=csv"}, Usage("--format given twice")},
      {{"db", f, t, "--verbose"}, Usage("unknown option '--verbose'")},
      {{"db", f, t, "--outputs=a"}, Usage("unknown option '--outputs=a'")},
      {{"db", f, t, "--output", d + "a", "--output", d + "b"}, Usage("--output given twice")},
      {{"db", f, t, "--output="}, Usage("--output needs a file name")},
      // The command never writes a table file, nor the database, nor a workbook to a terminal.
      {{"db", f, t, "--output", d + "copy.DBF"},
       Usage("will not write over the table file '" + d + "copy.DBF'")},
      {{"db", f, t, "--output", d + "TRAN.fpt"},
       Usage("will not write over the table file '" + d + "TRAN.fpt'")},
      {{d + "copy", f, t, "--output", d + "./copy"},
       Usage("the output '" + d + "./copy' is the database itself")},
      {{"db", f, t, "--format", "xlsx", "--output", "-"},
       Usage("a workbook is not written to a terminal: give --output FILE"),
       true},
      {{"db", "--period", "2081/01/1", "--summary", "slips"},
       built ? Usage("a PDF is not written to a terminal: give --output FILE") : no_slips,
       true},
      // A period stands in place of the days, never beside them.
      {{"db", f, t, "--period", "2081/01"}, Usage("give either FROM TO or --period, not both")},
      {{"db", f, "--period", "2081/01"}, Usage("give either FROM TO or --period, not both")},
      {{"--period", "2081/01"}, Usage("expected DATABASE --period PERIOD")},
      {{"db", "--period", "2081/01", "--period", "2081/02"}, Usage("--period given twice")},
      {{"db", "--period"}, Usage("--period needs a value")},
      {{"db", "--period", "1499/12"}, NotAPeriod("1499/12")},
      {{"db", "--period", "5001/01"}, NotAPeriod("5001/01")},
      {{"db", "--period", "2081/13"}, NotAPeriod("2081/13")},
      {{"db", "--period", "2081/00"}, NotAPeriod("2081/00")},
      {{"db", "--period", "2081/01/3"}, NotAPeriod("2081/01/3")},
      {{"db", "--period", "2081/01/0"}, NotAPeriod("2081/01/0")},
      {{"db", "--period", "2081/01-1"}, NotAPeriod("2081/01-1")},
      {{"db", "--period", "2081/1"}, NotAPeriod("2081/1")},
      {{"db", "--period", "2081-01"}, NotAPeriod("2081-01")},
      {{"db", "--period", "2081/01/15"}, NotAPeriod("2081/01/15")},
      {{"db", f, t, "--summary", "weeks"},
       Usage("unknown summary 'weeks': use members, days or slips")},
      {{"db", f, t, "--summary", "members", "--summary", "days"}, Usage("--summary given twice")},
      {{"db", f, t, "--summary", "slips", "--format", "xlsx", "--output", "s.pdf"},
       built ? Usage("the slips are a PDF: --format does not apply to them") : no_slips},
  };
  for (const Row& row : rows) {
    std::string line;
    for (const std::string& arg : row.args) line += "[" + arg + "]";
    SCOPED_TRACE(line);
    const bool help = row.expected == "help";
    if (help || row.expected.starts_with("usage: ")) {
      std::string out;
      std::string err;
      const int status = export_command::Run(
          row.args, {[&](std::string_view bytes) { out += bytes; }, row.terminal},
          [&](std::string_view text) { err += text; });
      EXPECT_EQ(status, help ? 0 : 2);
      EXPECT_TRUE(help ? out.starts_with("Usage: kolvex-export DATABASE FROM TO") : out.empty())
          << out;
      EXPECT_EQ(err, help ? ""
                          : "kolvex-export: " + row.expected.substr(7) + "\n\n" +
                                std::string(export_command::kUsage));
    } else {
      try {
        const auto parsed = export_command::ParseArguments(row.args);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(Shown(*parsed), row.expected);
      } catch (const export_command::UsageError& error) {
        ADD_FAILURE() << error.message;
      }
    }
    // Nothing was written.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      EXPECT_EQ(entry.path().filename(), "copy");
    }
  }
}

// Standard output that cannot be written fails the command with 1, saying why, --help too.
TEST(KolvexExport, StandardOutputThatCannotBeWrittenFailsTheRun) {
  const std::string sample = KOLVEX_SOURCE_DIR "/samples/TRAN.dbf";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {sample, "2081/01/01", "2081/01/01"}}) {
    SCOPED_TRACE(args.front());
    std::string err;
    const int status = export_command::Run(
        args, {[](std::string_view) {
          throw platform::RunTimeError(platform::error::kPathFileAccess, "the pipe is closed");
        }},
        [&](std::string_view text) { err += text; });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "75: Path/File access error: the pipe is closed\n");
  }
}

}  // namespace
