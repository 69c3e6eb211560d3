// The desktop's spreadsheet program behind "excel.application", as a launched application
// (platform/launched_application.h): there is no automation server to talk to here. What is
// looked for, in order: LibreOffice Calc as `localc`, `soffice --calc` or
// `libreoffice --calc`, then Gnumeric, each found on the search path.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/system/launched_application.h"

namespace platform {

// A spreadsheet program and the arguments that make it open a new, empty workbook.
struct SpreadsheetProgram {
  std::string name;
  std::vector<std::string> new_workbook_args;
};

// The programs looked for, in order of preference.
const std::vector<SpreadsheetProgram>& SpreadsheetPrograms();

class SpreadsheetApplicationFactory : public ObjectFactory {
 public:
  // Looks on this process's PATH at each creation and starts the program detached.
  SpreadsheetApplicationFactory();
  // Looks on `search_path` (folders separated by ':') and starts the program with `start`.
  explicit SpreadsheetApplicationFactory(std::string search_path, ProgramStarter start = {});

  // Creates the application for "excel.application" in any letter case. Its objects answer the
  // members above in any letter case and throw RunTimeError 438 for any other member; making it
  // visible throws 429 when the program cannot be started. Throws RunTimeError 429 for another
  // identifier, and when none of the programs is on the search path, naming those looked for.
  std::shared_ptr<AutomationObject> CreateObject(const std::string& prog_id) override;

 private:
  std::optional<std::string> search_path_;
  ProgramStarter start_;
};

}  // namespace platform
