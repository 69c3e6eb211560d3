// kolvex-export: loads the collection records of a range of BS days exactly as the window does
// and writes them as tab-separated text, comma-separated text or an .xlsx workbook, to a file or
// to standard output. Exit status 0 on success, 1 when the load or the writing fails, 2 for
// wrong arguments.
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/load_data.h"
#include "export/export_text.h"
#include "export/file_formats.h"
#include "platform/current_error.h"
#include "platform/db/ado.h"
#include "platform/list_view.h"
#include "platform/output_file.h"
#include "platform/run_time_error.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "Usage: kolvex-export DATABASE FROM TO [--output FILE] [--format tsv|csv|xlsx]\n"
    "\n"
    "Loads the collection records of every BS day from FROM to TO (in either order) out of the\n"
    "table TRAN of DATABASE (a .dbf file or its folder) and writes them to FILE, or to standard\n"
    "output without --output.\n"
    "\n"
    "  FROM, TO         BS dates as a date box holds them: yyyy/mm/dd, \"_\" for an empty digit\n"
    "  --output FILE    write to FILE; nothing is written when the load fails\n"
    "  --format FORMAT  tsv: the export text (tabs, CR LF between lines), the default\n"
    "                   csv: comma-separated values, quoted where needed\n"
    "                   xlsx: an Excel workbook; numbers as numbers, other columns as text\n"
    "                   Without --format, a FILE ending in .csv or .xlsx chooses the format.\n"
    "  --help           print this text\n"
    "  --               what follows is DATABASE FROM TO, even when it begins with \"-\"\n"
    "\n"
    "Exit status: 0 done, 1 the load or the writing failed (\"number: description\" on standard\n"
    "error), 2 wrong arguments.\n";

enum class Format { kTsv, kCsv, kXlsx };

struct Arguments {
  std::string database;
  std::string from;
  std::string to;
  std::optional<std::string> output;
  std::optional<Format> format;
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

// Returns nullopt for --help.
std::optional<Arguments> ParseArguments(const std::vector<std::string>& args) {
  Arguments parsed;
  std::vector<std::string> positional;
  bool options_ended = false;
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
    } else if (is("--format")) {
      if (parsed.format) throw UsageError{"--format given twice"};
      parsed.format = ParseFormat(value("--format"));
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option '" + arg + "'"};
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 3) throw UsageError{"expected DATABASE FROM TO"};
  parsed.database = positional[0];
  parsed.from = positional[1];
  parsed.to = positional[2];
  for (const std::string* date : {&parsed.from, &parsed.to}) {
    if (!IsDateBoxText(*date)) {
      throw UsageError{"'" + *date + "' is not a BS date of the form yyyy/mm/dd"};
    }
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
// database itself, is refused before anything is loaded. So is a workbook for a terminal.
void CheckOutput(const Arguments& args) {
  if (!args.output) {
    if (args.format == Format::kXlsx && platform::StandardOutputIsTerminal()) {
      throw UsageError{"a workbook is not written to a terminal: give --output FILE"};
    }
    return;
  }
  if (args.format == Format::kXlsx && platform::NamesTerminal(*args.output)) {
    throw UsageError{"a workbook is not written to a terminal: '" + *args.output + "' is one"};
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

void WriteOutput(const Arguments& args, const platform::MemoryListView& list) {
  const Format format = args.format.value_or(Format::kTsv);
  if (format == Format::kTsv) {
    // Written as it is made, piece by piece; the counts that could fail it are checked first.
    return WriteText(args, [&](const TextSink& write) { exporter::WriteExportText(list, write); });
  }
  if (format == Format::kCsv) {
    return WriteText(args, [&](const TextSink& write) { write(exporter::BuildCsvText(list)); });
  }

  // The workbook library writes to a named file: the one made to replace the destination, or,
  // for standard output and destinations written in place, a temporary one.
  std::optional<platform::OutputFile> file;
  if (args.output) file.emplace(*args.output);
  if (file && !file->in_place()) {
    exporter::WriteXlsxFile(list, file->path());
    return file->Commit();
  }
  std::string bytes;
  {
    const platform::TemporaryFile workbook(".xlsx");
    exporter::WriteXlsxFile(list, workbook.path());
    bytes = workbook.ReadAll();
  }
  if (!file) return platform::WriteStandardOutput(bytes);
  file->Write(bytes);
  file->Commit();
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
    platform::MemoryListView list;
    data::LoadData(list, args->database, args->from, args->to, platform::db::DbfProvider());
    WriteOutput(*args, list);
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
