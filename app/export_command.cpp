// kolvex-export's run: the output checked, the records loaded, and the export, summary or slips
// written, each failure said as the window says it.
#include "app/export_command.h"

#include <filesystem>
#include <utility>

#include "calendar/cdn_date.h"
#include "data/load_data.h"
#include "data/stored_amount.h"
#include "export/export_text.h"
#include "export/file_formats.h"
#include "export/slips_pdf.h"
#include "platform/controls/memory_list_view.h"
#include "platform/current_error.h"
#include "platform/db/provider.h"
#include "platform/db/table_file.h"
#include "platform/run_time_error.h"
#include "platform/system/output_file.h"
#include "platform/system/path_text.h"

namespace export_command {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The command reads tables and never writes one: an output that names a table file, or the
// database itself, is refused before anything is loaded. So is a workbook or PDF for a terminal.
void CheckOutput(const Arguments& args, bool standard_output_is_terminal) {
  const bool binary = args.format == Format::kXlsx || args.format == Format::kPdf;
  const char* const what = args.format == Format::kPdf ? "a PDF" : "a workbook";
  if (!args.output) {
    if (binary && standard_output_is_terminal) {
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

// Hands the pieces of text that `make` gives its sink to the output file or to standard output,
// `out`.
void WriteText(const Arguments& args, const Writer& out,
               const std::function<void(const Writer&)>& make) {
  if (!args.output) return make(out);
  platform::OutputFile file(*args.output);
  make([&](std::string_view piece) { file.Write(piece); });
  file.Commit();
}

// Has `write` fill a named file for the output: the one made to replace the destination, or, for
// standard output and destinations written in place, a temporary one whose bytes are then copied
// there. `write` is given the path and what a failure names: where the file is bound for.
void WriteNamedFile(const Arguments& args, const Writer& out, const std::string& suffix,
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
      out(piece);
    }
  });
  if (file) file->Commit();
}

// `list` is the summary of `records` when one is asked for, else the records themselves. A
// summary workbook's sheets are titled with `when` and the `table` read; the list's own workbook
// has no title.
void WriteOutput(const Arguments& args, const Writer& out, const platform::MemoryListView& list,
                 const platform::MemoryListView& records, const std::string& when = {},
                 const std::string& table = {}) {
  const Format format = args.format.value_or(Format::kTsv);
  if (format == Format::kTsv) {
    // Written as it is made, piece by piece; the counts that could fail it are checked first.
    return WriteText(args, out,
                     [&](const Writer& write) { exporter::WriteExportText(list, write); });
  }
  if (format == Format::kCsv) {
    return WriteText(args, out, [&](const Writer& write) { write(exporter::BuildCsvText(list)); });
  }
  WriteNamedFile(args, out, ".xlsx", [&](const std::string& path, const std::string& destination) {
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
void WriteSlips(const Arguments& args, const Writer& out, const platform::MemoryListView& records,
                std::string first, std::string last) {
  if (last < first) std::swap(first, last);
  const std::vector<exporter::Slip> slips = exporter::BuildSlips(records);
#if KOLVEX_SLIPS
  WriteNamedFile(args, out, ".pdf", [&](const std::string& path, const std::string& destination) {
    exporter::WriteSlipsPdf(slips, first + " to " + last, path, destination);
  });
#else
  (void)args;  // refused among the arguments
  (void)out;
#endif
}

// The usage as --help prints it: text, with the system's line ends (CR LF on Windows).
std::string UsageText() {
  std::string text;
  for (const char c : kUsage) {
#ifdef _WIN32
    if (c == '\n') text += '\r';
#endif
    text += c;
  }
  return text;
}

// The export, summary or slips `args` ask for, the output checked already. Throws what the load
// or the writing throws.
void Export(const Arguments& args, const Writer& out) {
  if (args.period_ends_calendar) {
    // A load's range may not end on the calendar's last day (see data::LoadData): said here in
    // the words of a period, before anything is read.
    throw platform::RunTimeError::WithAdvice(
        platform::error::kSubscriptOutOfRange,
        "The calendar ends on " + args.to +
            ", and a load cannot end on its last day: the calendar's last half-month cannot be "
            "listed. Give --period " +
            args.to.substr(0, 7) + "/1, or FROM TO ending by " + args.to.substr(0, 8) +
            std::to_string(std::stoi(args.to.substr(8)) - 1) + ".");
  }
  platform::MemoryListView list;
  const std::string from = CompletedDate(args.from);
  const std::string to = CompletedDate(args.to);
  if (!args.summary && !args.slips) {
    data::LoadData(list, args.database, from, to, platform::db::DbfProvider());
    RefuseFilesTheLoadRead(args);
    return WriteOutput(args, out, list, list);
  }
  // A bill is checked against the table's own amounts, which the records are read with.
  data::LoadWithStoredAmount(list, args.database, from, to, platform::db::DbfProvider());
  RefuseFilesTheLoadRead(args);
  if (args.slips) return WriteSlips(args, out, list, from, to);
  const std::string when =
      args.period ? bills::PeriodTitle(*args.period) : bills::DatesTitle(from, to);
  WriteOutput(args, out, exporter::BuildSummary(*args.summary, list), list, when,
              platform::db::DbfProvider().TableFile(args.database, "TRAN"));
}

}  // namespace

int Run(const std::vector<std::string>& raw_args, const StandardOutput& out, const Writer& err) {
  std::optional<Arguments> args;
  try {
    args = ParseArguments(raw_args);
    if (args) CheckOutput(*args, out.terminal);
  } catch (const UsageError& error) {
    err("kolvex-export: " + error.message + "\n\n" + std::string(kUsage));
    return kExitUsage;
  }
  try {
    if (args) {
      Export(*args, out.write);
    } else {
      out.write(UsageText());
    }
    return 0;
  } catch (...) {
    // The same words as the window's message box, then what the window's status line adds.
    const platform::RunTimeError error = platform::CurrentError();
    std::string said = error.Prompt() + '\n';
    if (!error.advice().empty()) said += error.advice() + '\n';
    err(said);
  }
  return kExitFailure;
}

}  // namespace export_command
