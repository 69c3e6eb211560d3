// kolvex-export's arguments: the options and positional arguments read, and checked as far as
// they can be without the system.
#include "app/export_command.h"
#include "calendar/cdn_date.h"
#include "export/slips_pdf.h"

namespace export_command {

const std::string_view kUsage =
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

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
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
// "yyyy/mm/2" (its day 16 to its last), in place of FROM and TO.
void TakePeriod(std::string_view period, Arguments& parsed) {
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
  parsed.period = {year, month, bills::MonthPart::kWholeMonth};
  parsed.from = stem + "/01";
  parsed.to = stem + "/" + std::to_string(cdnDate::MonthLength(year, month));
  if (period.size() == 9) {
    if (period[7] != '/' || (period[8] != '1' && period[8] != '2')) throw wrong;
    if (period[8] == '1') {
      parsed.period->part = bills::MonthPart::kFirstHalf;
      parsed.to = stem + "/15";
    } else {
      parsed.period->part = bills::MonthPart::kSecondHalf;
      parsed.from = stem + "/16";
    }
  }
  parsed.period_ends_calendar = year == cdnDate::kLastYear && month == 12 &&
                                parsed.period->part != bills::MonthPart::kFirstHalf;
}

// DATABASE FROM TO, or DATABASE alone with a period.
void TakePositional(const std::vector<std::string>& positional,
                    const std::optional<std::string>& period, Arguments& parsed) {
  if (!period) {
    if (positional.size() != 3) throw UsageError{"expected DATABASE FROM TO"};
    parsed.from = positional[1];
    parsed.to = positional[2];
  } else {
    if (positional.empty()) throw UsageError{"expected DATABASE --period PERIOD"};
    if (positional.size() != 1) throw UsageError{"give either FROM TO or --period, not both"};
    TakePeriod(*period, parsed);
  }
  parsed.database = positional[0];
}

}  // namespace

std::string Extension(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return Lower(path.substr(dot + 1));
}

std::optional<Arguments> ParseArguments(const std::vector<std::string>& args) {
  Arguments parsed;
  std::vector<std::string> positional;
  std::optional<std::string> period;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended) {
      positional.push_back(arg);
      continue;
    }
    auto is = [&](std::string_view option) {
      return arg == option || arg.starts_with(std::string(option) + "=");
    };
    // The value of the option `is` took: after its "=", or the next argument.
    auto value = [&](std::string_view option) -> std::string {
      if (arg != option) return arg.substr(option.size() + 1);
      if (i + 1 >= args.size()) throw UsageError{std::string(option) + " needs a value"};
      return args[++i];
    };
    if (arg == "--help" || arg == "-h") return std::nullopt;
    if (arg == "--") {
      options_ended = true;
    } else if (is("--output")) {
      if (parsed.output) throw UsageError{"--output given twice"};
      parsed.output = value("--output");
      if (parsed.output->empty()) throw UsageError{"--output needs a file name"};
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
  if (parsed.output == "-") parsed.output.reset();
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

}  // namespace export_command
