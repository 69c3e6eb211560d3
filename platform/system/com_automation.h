// The spreadsheet program on Windows. Excel is driven through COM automation: the object is
// created from its program identifier and its members are called by name at run time through
// IDispatch. Where Excel is not installed, LibreOffice Calc, found through the registry's App
// Paths, is started with a new spreadsheet when the export makes the application visible
// (platform/launched_application.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/system/launched_application.h"
#include "platform/system/windows_api.h"

namespace platform::win32 {

// How often a call the program rejects as busy is tried again, and for how long.
struct CallPatience {
  DWORD every_ms = 250;
  DWORD most_ms = 30000;
};

// Objects created from program identifiers through COM, on this thread's apartment.
class ComObjectFactory : public ObjectFactory {
 public:
  explicit ComObjectFactory(CallPatience patience = {});
  ~ComObjectFactory() override;
  ComObjectFactory(const ComObjectFactory&) = delete;
  ComObjectFactory& operator=(const ComObjectFactory&) = delete;

  // Whether a class is registered under `prog_id`.
  bool Registered(const std::string& prog_id) const;
  // The object's members are called through IDispatch by their English names (locale 1033): an
  // unknown member throws RunTimeError 438; a member that fails throws the number and
  // description the object reports, or the failure's own code and the system's text for it. A
  // call the program rejects as busy is tried again for the patience's time, then throws 440
  // saying so. While any of the object's objects lives, the thread's COM message filter is one
  // that does the same for calls to other processes; the one before is put back after. Setting
  // "Visible" to True lets the program come to the front. Throws RunTimeError 429 when no class
  // is registered under `prog_id` or its object cannot be created.
  std::shared_ptr<AutomationObject> CreateObject(const std::string& prog_id) override;

 private:
  bool initialised_;
  CallPatience patience_;
};

// The registry key, under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, where installed programs
// record their full paths.
inline constexpr wchar_t kAppPathsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// The full path `app_paths` records for `program` ("soffice.exe"), when the file is there:
// the user's own installation first, then the machine's, in its 64-bit and 32-bit views.
std::wstring AppPath(const std::wstring& app_paths, const std::wstring& program);

// Starts `argv[0]`, a full path, with the arguments after it, as a program of its own that stays
// when we exit. Throws RunTimeError 429 naming the program and the system's reason.
void StartProgram(const std::vector<std::string>& argv);

class SpreadsheetObjectFactory : public ObjectFactory {
 public:
  struct Settings {
    std::string excel_prog_id = kSpreadsheetProgId;
    std::wstring app_paths = kAppPathsKey;
    ProgramStarter start = StartProgram;
    CallPatience patience = {};
  };

  SpreadsheetObjectFactory() : SpreadsheetObjectFactory(Settings()) {}
  // Tests look for other identifiers and keys, and start stand-ins.
  explicit SpreadsheetObjectFactory(Settings settings);

  // For "excel.application" in any letter case: Excel when it is registered and starts, else
  // LibreOffice Calc (soffice.exe --calc, or scalc.exe) when App Paths has it; once Excel has
  // failed to start (not registered as it says, its server missing or broken), Calc from then
  // on. Throws RunTimeError 429 naming both when neither is there, or Excel's own error when it
  // is there but cannot start and Calc is not, and 429 for any other identifier.
  std::shared_ptr<AutomationObject> CreateObject(const std::string& prog_id) override;
  // Whether the next CreateObject would start Calc rather than Excel.
  bool StartsCalc() const;

 private:
  // Calc's program and its arguments for a new spreadsheet, or nothing when it is not installed.
  std::vector<std::string> CalcCommand() const;

  Settings settings_;
  ComObjectFactory com_;
  bool excel_failed_ = false;
};

}  // namespace platform::win32
