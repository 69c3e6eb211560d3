// kolvex-export: loads the collection records of a range of BS days exactly as the window does
// and writes them as tab-separated text, comma-separated text or an .xlsx workbook, to a file or
// to standard output. Exit status 0 on success, 1 when the load or the writing fails, 2 for
// wrong arguments.
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "app/bills/payment_period.h"
#include "calendar/cdn_date.h"
#include "data/load_data.h"
#include "data/stored_amount.h"
#include "export/export_text.h"
#include "export/file_formats.h"
#include "export/period_summary.h"
#include "export/slips_pdf.h"
#include "platform/controls/memory_list_view.h"
#include "platform/current_error.h"
#include "platform/db/provider.h"
#include "platform/db/table_file.h"
#include "platform/run_time_error.h"
#include "platform/system/output_file.h"
#include "platform/system/path_text.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "Usage: kolvex-export DATABASE FROM TO [--output FILE] [--format tsv|csv|xlsx]\n"
    "                    [--summary members|days|slips]\n"
    "       kolvex-export DATABASE --period PERIOD [options as above]\n"
    "\n"
    "Loads the collection records of every BS day from FROM to TO (in either order) out of the\n"
    "table TRAN of DATABASE (a .dbf file or its folder) and writes them to FILE, or to standard\n"
    "output without --output.\n"
    "\n"
    "  FROM, TO         BS dates as a date box holds them: yyyy/mm/dd, \"_\" for an empty digit\n"
    "  --period PERIOD  in place of FROM TO: yyyy/mm the whole BS month, yyyy/mm/1 its days 01\n"
    "                   to 15, yyyy/mm/2 its day 16 to its last day\n"
    "  --summary members  write the bill of each member instead of the records: days, records,\n"
    "                   litres (by collection time and in all), fat and snf weighted by litres,\n"
    "                   rate, amount, the table's own stored amount and the difference,\n"
    "                   commission, untested records and repeated entries\n"
    "  --summary days   write one row per date and collection time instead of the records\n"
    "                   A summary ends in a total row; with xlsx, the workbook's second sheet,\n"
    "                   \"Records\", holds the records it was made from, and each sheet\n"
    "                   opens with a title: the period (by its month's name with --period)\n"
    "                   and the table read.\n"
    "  --summary slips  write a PDF of each member's slip: the collections and the bill\n"
    "  --output FILE    write to FILE (\"-\": standard output); nothing is written when the\n"
    "                   load fails\n"
    "  --format FORMAT  tsv: the export text (tabs, CR LF between lines), the default\n"
    "                   csv: comma-separated values, quoted where needed\n"
    "                   xlsx: an Excel workbook; numbers as numbers, other columns as text\n"
    "                   Without --format, a FILE ending in .csv or .xlsx chooses the format.\n"
    "  --help           print this text\n"
    "  --               what follows is DATABASE FROM TO, even when it begins with \"-\"\n"
    "\n"
    "Exit status: 0 done, 1 the load or the writing failed (\"number: description\" on standard\n"
    "error), 2 wrong arguments.\n";

enum class Format { kTsv, kCsv, kXlsx, kPdf };  // kPdf: the slips, only

struct Arguments {
  std::string database;
  std::string from;
  std::string to;
  std::optional<std::string> output;
  std::optional<Format> format;
  std::optional<exporter::Summary> summary;
  std::optional<bills::PaymentPeriod> period;  // given by --period
  bool period_ends_calendar = false;           // a period whose last day is the calendar's last
  bool slips = false;
};

struct UsageError {
  std::string message;
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string Extension(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return Lower(path.substr(dot + 1));
}

// A text a date box can hold: ten characters, a digit or "_" in every digit position and "/" as
// the fifth and eighth. Nothing else may reach a query.
bool IsDateBoxText(std::string_view text) {
  if (text.size() != 10) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool ok = (i == 4 || i == 7) ? c == '/' : ((c >= '0' && c <= '9') || c == '_');
    if (!ok) return false;
  }
  return true;
}

Format ParseFormat(std::string_view text) {
  const std::string lower = Lower(text);
  if (lower == "tsv") return Format::kTsv;
  if (lower == "csv") return Format::kCsv;
  if (lower == "xlsx") return Format::kXlsx;
  throw UsageError{"unknown format '" + std::string(text) + "': use tsv, csv or xlsx"};
}

void ParseSummary(std::string_view text, Arguments& parsed) {
  if (text == "members") {
    parsed.summary = exporter::Summary::kMembers;
  } else if (text == "days") {
    parsed.summary = exporter::Summary::kDays;
  } else if (text == "slips") {
    if (!exporter::kSlipsBuilt) {
      throw UsageError{"this build writes no slips: it was made without the PDF library"};
    }
    parsed.slips = true;
  } else {
    throw UsageError{"unknown summary '" + std::string(text) + "': use members, days or slips"};
  }
}

// The payment period "yyyy/mm" (the whole BS month), "yyyy/mm/1" (its days 01 to 15) or
// "yyyy/mm/2" (its day 16 to its last), and its first and last day.
std::pair<std::string, std::string> PeriodDates(std::string_view period,
                                                bills::PaymentPeriod& named) {
  const UsageError wrong{"'" + std::string(period) +
                         "' is not a period: give yyyy/mm, yyyy/mm/1 or yyyy/mm/2 of a BS year "
                         "from 1500 to 5000"};
  auto digits = [&](std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
      if (period[i] < '0' || period[i] > '9') throw wrong;
      value = value * 10 + (period[i] - '0');
    }
    return value;
  };
  if ((period.size() != 7 && period.size() != 9) || period[4] != '/') throw wrong;
  const int year = digits(0, 4);
  const int month = digits(5, 2);
  if (year < cdnDate::kFirstYear || year > cdnDate::kLastYear || month < 1 || month > 12) {
    throw wrong;
  }
  const std::string stem(period.substr(0, 7));
  const std::string last = stem + "/" + std::to_string(cdnDate::MonthLength(year, month));
  named = {year, month, bills::MonthPart::kWholeMonth};
  if (period.size() == 7) return {stem + "/01", last};
  if (period[7] != '/' || (period[8] != '1' && period[8] != '2')) throw wrong;
  if (period[8] == '1') {
    named.part = bills::MonthPart::kFirstHalf;
    return {stem + "/01", stem + "/15"};
  }
  named.part = bills::MonthPart::kSecondHalf;
  return {stem + "/16", last};
}

// DATABASE FROM TO, or DATABASE alone with a period.
void TakePositional(const std::vector<std::string>& positional,
                    const std::optional<std::string>& period, Arguments& parsed) {
  if (!period) {
    if (positional.size() != 3) throw UsageError{"expected DATABASE FROM TO"};
    parsed.from = positional[1];
    parsed.to = positional[2];
  } else {
    if (positional.size() != 1) throw UsageError{"give either FROM TO or --period, not both"};
    parsed.period.emplace();
    std::tie(parsed.from, parsed.to) = PeriodDates(*period, *parsed.period);
    parsed.period_ends_calendar =
        parsed.to == std::to_string(cdnDate::kLastYear) + "/12/" +
                         std::to_string(cdnDate::MonthLength(cdnDate::kLastYear, 12));
  }
  parsed.database = positional[0];
}

// Returns nullopt for --help.
std::optional<Arguments> ParseArguments(const std::vector<std::string>& args) {
  Arguments parsed;
  std::vector<std::string> positional;
  std::optional<std::string> period;
  bool options_ended = false;
  bool output_is_dash = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended) {
      positional.push_back(arg);
      continue;
    }
    auto value = [&](std::string_view option) -> std::string {
      if (arg.size() > option.size() && arg[option.size()] == '=') {
        return arg.substr(option.size() + 1);
      }
      if (i + 1 >= args.size()) throw UsageError{std::string(option) + " needs a value"};
      return args[++i];
    };
    auto is = [&](std::string_view option) {
      return arg == option ||
             (arg.rfind(option, 0) == 0 && arg.size() > option.size() && arg[option.size()] == '=');
    };
    if (arg == "--help" || arg == "-h") return std::nullopt;
    if (arg == "--") {
      options_ended = true;
    } else if (is("--output")) {
      if (parsed.output) throw UsageError{"--output given twice"};
      parsed.output = value("--output");
      if (parsed.output->empty()) throw UsageError{"--output needs a file name"};
      output_is_dash = *parsed.output == "-";
    } else if (is("--format")) {
      if (parsed.format) throw UsageError{"--format given twice"};
      parsed.format = ParseFormat(value("--format"));
    } else if (is("--summary")) {
      if (parsed.summary || parsed.slips) throw UsageError{"--summary given twice"};
      ParseSummary(value("--summary"), parsed);
    } else if (is("--period")) {
      if (period) throw UsageError{"--period given twice"};
      period = value("--period");
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option '" + arg + "'"};
    } else {
      positional.push_back(arg);
    }
  }
  // "-" is standard output, as other commands take it; a file of that name is "./-".
  if (output_is_dash) parsed.output.reset();
  TakePositional(positional, period, parsed);
  for (const std::string* date : {&parsed.from, &parsed.to}) {
    if (!IsDateBoxText(*date)) {
      throw UsageError{"'" + *date + "' is not a BS date of the form yyyy/mm/dd"};
    }
  }
  if (parsed.slips) {
    if (parsed.format) throw UsageError{"the slips are a PDF: --format does not apply to them"};
    parsed.format = Format::kPdf;
  }
  if (!parsed.format && parsed.output) {
    const std::string extension = Extension(*parsed.output);
    parsed.format = extension == "csv"    ? Format::kCsv
                    : extension == "xlsx" ? Format::kXlsx
                                          : Format::kTsv;
  }
  return parsed;
}

// The command reads tables and never writes one: an output that names a table file, or the
// database itself, is refused before anything is loaded. So is a workbook or PDF for a terminal.
void CheckOutput(const Arguments& args) {
  const bool binary = args.format == Format::kXlsx || args.format == Format::kPdf;
  const char* const what = args.format == Format::kPdf ? "a PDF" : "a workbook";
  if (!args.output) {
    if (binary && platform::StandardOutputIsTerminal()) {
      throw UsageError{std::string(what) + " is not written to a terminal: give --output FILE"};
    }
    return;
  }
  if (binary && platform::NamesTerminal(*args.output)) {
    throw UsageError{std::string(what) + " is not written to a terminal: '" + *args.output +
                     "' is one"};
  }
  static const char* const kTableExtensions[] = {"dbf", "fpt", "dbt", "cdx", "idx",
                                                 "ndx", "mdx", "dbc", "dct", "dcx"};
  const std::string extension = Extension(*args.output);
  for (const char* table : kTableExtensions) {
    if (extension == table) {
      throw UsageError{"will not write over the table file '" + *args.output + "'"};
    }
  }
  if (platform::IsSameFile(*args.output, args.database)) {
    throw UsageError{"the output '" + *args.output + "' is the database itself"};
  }
}

// The files the load read, the table and its memo file, are never written over, however the output
// names them (a link, a hard link, another spelling of the name): they are known once the load
// has found them, and are checked before anything is written. Throws 75 naming both.
void RefuseFilesTheLoadRead(const Arguments& args) {
  if (!args.output) return;
  for (const std::filesystem::path& read : platform::db::FilesOpened()) {
    const std::string name = platform::Utf8Of(read);
    if (platform::IsSameFile(*args.output, name)) {
      throw platform::RunTimeError(platform::error::kPathFileAccess,
                                   "will not write '" + *args.output + "': it is the file '" +
                                       name + "', which the load reads.");
    }
  }
}

// FROM or TO as the window loads it: completed as leaving its date box completes it ("2081/03/__"
// is 2081/03/01, an empty box no date at all).
std::string CompletedDate(const std::string& typed) {
  constexpr std::uint8_t kBsCalendar = 2;
  return cdnDate::CheckedDateText(typed, kBsCalendar);
}

using TextSink = std::function<void(std::string_view)>;

// Hands the pieces of text that `make` gives its sink to the output file or to standard output.
void WriteText(const Arguments& args, const std::function<void(const TextSink&)>& make) {
  if (!args.output) {
    return make([](std::string_view piece) { platform::WriteStandardOutput(piece); });
  }
  platform::OutputFile file(*args.output);
  make([&](std::string_view piece) { file.Write(piece); });
  file.Commit();
}

// Has `write` fill a named file for the output: the one made to replace the destination, or, for
// standard output and destinations written in place, a temporary one whose bytes are then copied
// there. `write` is given the path and what a failure names: where the file is bound for.
void WriteNamedFile(const Arguments& args, const std::string& suffix,
                    const std::function<void(const std::string&, const std::string&)>& write) {
  std::optional<platform::OutputFile> file;
  if (args.output) file.emplace(*args.output);
  if (file && !file->in_place()) {
    write(file->path(), *args.output);
    return file->Commit();
  }
  const platform::TemporaryFile made(suffix);
  write(made.path(), args.output.value_or("standard output"));
  made.ReadInPieces([&](std::string_view piece) {
    if (file) {
      file->Write(piece);
    } else {
      platform::WriteStandardOutput(piece);
    }
  });
  if (file) file->Commit();
}

// `list` is the summary of `records` when one is asked for, else the records themselves. A
// summary workbook's sheets are titled with `when` and the `table` read; the list's own workbook
// has no title.
void WriteOutput(const Arguments& args, const platform::MemoryListView& list,
                 const platform::MemoryListView& records, const std::string& when = {},
                 const std::string& table = {}) {
  const Format format = args.format.value_or(Format::kTsv);
  if (format == Format::kTsv) {
    // Written as it is made, piece by piece; the counts that could fail it are checked first.
    return WriteText(args, [&](const TextSink& write) { exporter::WriteExportText(list, write); });
  }
  if (format == Format::kCsv) {
    return WriteText(args, [&](const TextSink& write) { write(exporter::BuildCsvText(list)); });
  }
  WriteNamedFile(args, ".xlsx", [&](const std::string& path, const std::string& destination) {
    if (!args.summary) return exporter::WriteXlsxFile(list, path, destination);
    const bool members = args.summary == exporter::Summary::kMembers;
    exporter::WriteSheetsXlsxFile(
        {{members ? "Member Summary" : "Day Summary", &list, true,
          bills::SheetTitle(members ? "Member summary" : "Day summary", when, table)},
         {exporter::kRecordsSheet, &records, false, bills::SheetTitle("Records", when, table)}},
        path, destination);
  });
}

// The slips of the members of `records`, the period's first and last day written on each.
void WriteSlips(const Arguments& args, const platform::MemoryListView& records, std::string first,
                std::string last) {
  if (last < first) std::swap(first, last);
  const std::vector<exporter::Slip> slips = exporter::BuildSlips(records);
#if KOLVEX_SLIPS
  WriteNamedFile(args, ".pdf", [&](const std::string& path, const std::string& destination) {
    exporter::WriteSlipsPdf(slips, first + " to " + last, path, destination);
  });
#else
  (void)args;  // refused among the arguments
#endif
}

int Run(const std::vector<std::string>& raw_args) {
  std::optional<Arguments> args;
  try {
    args = ParseArguments(raw_args);
    if (!args) {
      std::cout << kUsage;
      return 0;
    }
    CheckOutput(*args);
  } catch (const UsageError& error) {
    platform::WriteStandardError("kolvex-export: " + error.message + "\n\n" + std::string(kUsage));
    return kExitUsage;
  }

  try {
    if (args->period_ends_calendar) {
      // A load's range may not end on the calendar's last day (see data::LoadData): said here in
      // the words of a period, before anything is read.
      throw platform::RunTimeError::WithAdvice(
          platform::error::kSubscriptOutOfRange,
          "The calendar ends on " + args->to +
              ", and a load cannot end on its last day: the calendar's last half-month cannot be "
              "listed. Give --period " +
              args->to.substr(0, 7) + "/1, or FROM TO ending by " + args->to.substr(0, 8) +
              std::to_string(std::stoi(args->to.substr(8)) - 1) + ".");
    }
    platform::MemoryListView list;
    const std::string from = CompletedDate(args->from);
    const std::string to = CompletedDate(args->to);
    if (!args->summary && !args->slips) {
      data::LoadData(list, args->database, from, to, platform::db::DbfProvider());
      RefuseFilesTheLoadRead(*args);
      WriteOutput(*args, list, list);
      return 0;
    }
    // A bill is checked against the table's own amounts, which the records are read with.
    data::LoadWithStoredAmount(list, args->database, from, to, platform::db::DbfProvider());
    RefuseFilesTheLoadRead(*args);
    if (args->slips) {
      WriteSlips(*args, list, from, to);
    } else {
      const std::string when =
          args->period ? bills::PeriodTitle(*args->period) : bills::DatesTitle(from, to);
      WriteOutput(*args, exporter::BuildSummary(*args->summary, list), list, when,
                  platform::db::DbfProvider().TableFile(args->database, "TRAN"));
    }
    return 0;
  } catch (...) {
    // The same words as the window's message box, then what the window's status line adds.
    const platform::RunTimeError error = platform::CurrentError();
    std::string said = error.Prompt() + '\n';
    if (!error.advice().empty()) said += error.advice() + '\n';
    platform::WriteStandardError(said);
  }
  return kExitFailure;
}

}  // namespace

int main(int argc, char** argv) { return Run(platform::CommandLineArguments(argc, argv)); }
