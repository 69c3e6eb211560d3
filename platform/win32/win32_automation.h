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
#include "platform/launched_application.h"
#include "platform/win32/windows_api.h"

namespace platform::win32 {

// Objects created from program identifiers through COM, on this thread's apartment.
class ComObjectFactory : public ObjectFactory {
 public:
  ComObjectFactory();
  ~ComObjectFactory() override;
  ComObjectFactory(const ComObjectFactory&) = delete;
  ComObjectFactory& operator=(const ComObjectFactory&) = delete;

  // Whether a class is registered under `prog_id`.
  bool Registered(const std::string& prog_id) const;
  // The object's members are called through IDispatch: an unknown member throws RunTimeError
  // 438; a member that fails throws the number and description the object reports, or the
  // failure's own code and the system's text for it. Throws RunTimeError 429 when no class is
  // registered under `prog_id` or its object cannot be created.
  std::shared_ptr<AutomationObject> CreateObject(const std::string& prog_id) override;

 private:
  bool initialised_;
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
  };

  SpreadsheetObjectFactory() : SpreadsheetObjectFactory(Settings()) {}
  // Tests look for other identifiers and keys, and start stand-ins.
  explicit SpreadsheetObjectFactory(Settings settings);

  // For "excel.application" in any letter case: Excel when it is registered, else LibreOffice
  // Calc (soffice.exe --calc, or scalc.exe) when App Paths has it. Throws RunTimeError 429
  // naming both when neither is there, or Excel's own error when it is there but cannot start,
  // and 429 for any other identifier.
  std::shared_ptr<AutomationObject> CreateObject(const std::string& prog_id) override;

 private:
  Settings settings_;
  ComObjectFactory com_;
};

}  // namespace platform::win32
