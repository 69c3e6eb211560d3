// kolvex-export, the headless command: loads the collection records of a range of BS days exactly
// as the window does and writes them, or the payment period's summaries or slips made of them, to
// a file or to standard output. export_arguments.cpp reads its arguments, export_command.cpp runs
// it; export_main.cpp hands it the command line and the standard streams.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/bills/payment_period.h"
#include "export/period_summary.h"

namespace export_command {

// What --help prints, and what follows a usage error's message.
extern const std::string_view kUsage;

enum class Format { kTsv, kCsv, kXlsx, kPdf };  // kPdf: the slips, only

struct Arguments {
  std::string database;
  std::string from;  // as given, or the period's first day
  std::string to;
  std::optional<std::string> output;  // none: standard output
  std::optional<Format> format;
  std::optional<exporter::Summary> summary;
  std::optional<bills::PaymentPeriod> period;  // given by --period
  bool period_ends_calendar = false;           // a period whose last day is the calendar's last
  bool slips = false;
};

struct UsageError {
  std::string message;
};

// The arguments after the program's name, checked as far as they can be without the system.
// Returns nullopt for --help; throws UsageError.
std::optional<Arguments> ParseArguments(const std::vector<std::string>& args);

// The extension of the file `path` names, in lower case, without its dot; empty for none.
std::string Extension(const std::string& path);

using Writer = std::function<void(std::string_view)>;

// Standard output: `write` takes bytes as they are and throws RunTimeError 75 when they cannot be
// written; a terminal is given no workbook or PDF.
struct StandardOutput {
  Writer write;
  bool terminal = false;
};

// Runs the command on `args`, writing to the output file or `out`, and a usage error with the
// usage, or "number: description" of a failure and any advice, each on lines of its own, to `err`,
// which never throws. Returns the exit status: 0 done, 1 the load or the writing failed, 2 wrong
// arguments.
int Run(const std::vector<std::string>& args, const StandardOutput& out, const Writer& err);

}  // namespace export_command
