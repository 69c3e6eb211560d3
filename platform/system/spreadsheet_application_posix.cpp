#include "platform/system/spreadsheet_application.h"

#include <utility>

#include "platform/run_time_error.h"
#include "platform/system/program_start.h"

namespace platform {
namespace {

// "localc, soffice, libreoffice and gnumeric"
std::string ProgramNames() {
  const std::vector<SpreadsheetProgram>& programs = SpreadsheetPrograms();
  std::string names;
  for (std::size_t i = 0; i < programs.size(); ++i) {
    if (i > 0) names += i + 1 == programs.size() ? " and " : ", ";
    names += programs[i].name;
  }
  return names;
}

}  // namespace

const std::vector<SpreadsheetProgram>& SpreadsheetPrograms() {
  // localc is LibreOffice's own wrapper for "soffice --calc"; Gnumeric opens an empty workbook
  // when started without a file.
  static const std::vector<SpreadsheetProgram> programs = {
      {"localc", {}},
      {"soffice", {"--calc"}},
      {"libreoffice", {"--calc"}},
      {"gnumeric", {}},
  };
  return programs;
}

SpreadsheetApplicationFactory::SpreadsheetApplicationFactory() : start_(StartProgram) {}

SpreadsheetApplicationFactory::SpreadsheetApplicationFactory(std::string search_path,
                                                             ProgramStarter start)
    : search_path_(std::move(search_path)),
      start_(start ? std::move(start) : ProgramStarter(StartProgram)) {}

std::shared_ptr<AutomationObject> SpreadsheetApplicationFactory::CreateObject(
    const std::string& prog_id) {
  if (!SameName(prog_id, kSpreadsheetProgId)) {
    throw RunTimeError(error::kCannotCreateObject,
                       "no program is known by the name \"" + prog_id + "\".");
  }
  std::string search_path = search_path_ ? *search_path_ : ProgramSearchPath();
  for (const SpreadsheetProgram& program : SpreadsheetPrograms()) {
    std::string path = FindProgram(program.name, search_path);
    if (path.empty()) continue;
    std::vector<std::string> command{std::move(path)};
    command.insert(command.end(), program.new_workbook_args.begin(),
                   program.new_workbook_args.end());
    return LaunchedApplication(std::move(command), start_);
  }
  throw RunTimeError(error::kCannotCreateObject,
                     "none was found on the PATH (looked for " + ProgramNames() +
                         "). Install LibreOffice Calc or Gnumeric; the list is on the clipboard "
                         "to paste anywhere.");
}

}  // namespace platform
