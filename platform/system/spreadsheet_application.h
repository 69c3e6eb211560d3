// The desktop's spreadsheet program behind "excel.application".
//
// On Windows, Excel through COM automation (platform/system/com_automation.h); where Excel is not
// installed, LibreOffice Calc, found through the registry's App Paths, as a launched application
// (platform/system/launched_application.h), started with a new spreadsheet when the export makes
// the application visible.
//
// Elsewhere there is no automation server to talk to: the program is a launched application.
// What is looked for, in order: LibreOffice Calc as `localc`, `soffice --calc` or
// `libreoffice --calc`, then Gnumeric, each found on the search path.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/system/launched_application.h"
#include "platform/system/program_start.h"

#ifdef _WIN32
#include "platform/system/com_automation.h"
#endif

namespace platform {

#ifdef _WIN32

// The registry key, under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, where installed programs
// record their full paths.
inline constexpr wchar_t kAppPathsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// The full path `app_paths` records for `program` ("soffice.exe"), when the file is there:
// the user's own installation first, then the machine's, in its 64-bit and 32-bit views.
std::wstring AppPath(const std::wstring& app_paths, const std::wstring& program);

class SpreadsheetApplicationFactory : public ObjectFactory {
 public:
  struct Settings {
    std::string excel_prog_id = kSpreadsheetProgId;
    std::wstring app_paths = kAppPathsKey;
    ProgramStarter start = StartProgram;
    win32::CallPatience patience = {};
  };

  SpreadsheetApplicationFactory() : SpreadsheetApplicationFactory(Settings()) {}
  // Tests look for other identifiers and keys, and start stand-ins.
  explicit SpreadsheetApplicationFactory(Settings settings);

  // For "excel.application" in any letter case: Excel when it is registered and starts, else
  // LibreOffice Calc (soffice.exe --calc, or scalc.exe) when App Paths has it; once Excel has
  // failed to start (not registered as it says, its server missing or broken), Calc from then
  // on. Throws RunTimeError 429 naming both when neither is there, or Excel's own error when it
  // is there but cannot start and Calc is not, and 429 for any other identifier.
  std::shared_ptr<AutomationObject> CreateObject(const std::string& prog_id) override;
  // Whether the next CreateObject would start Calc rather than Excel.
  bool StartsCalc() const override;

 private:
  // Calc's program and its arguments for a new spreadsheet, or nothing when it is not installed.
  std::vector<std::string> CalcCommand() const;

  Settings settings_;
  win32::ComObjectFactory com_;
  bool excel_failed_ = false;
};

#else

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

#endif

}  // namespace platform
