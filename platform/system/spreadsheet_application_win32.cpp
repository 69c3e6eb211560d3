#include "platform/system/spreadsheet_application.h"

#include <optional>
#include <utility>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/system/program_start.h"

namespace platform {
namespace {

std::wstring RegistryText(HKEY root, REGSAM view, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring text;
  DWORD bytes = 0;
  if (RegGetValueW(opened, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) ==
          ERROR_SUCCESS &&
      bytes > 0) {
    text.resize(bytes / sizeof(wchar_t));
    if (RegGetValueW(opened, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) !=
        ERROR_SUCCESS) {
      text.clear();
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
  }
  RegCloseKey(opened);
  return text;
}

// LibreOffice's programs as App Paths names them, and the arguments for a new spreadsheet.
struct CalcProgram {
  const wchar_t* name;
  std::vector<std::string> new_workbook_args;
};

const CalcProgram kCalcPrograms[] = {{L"soffice.exe", {"--calc"}}, {L"scalc.exe", {}}};

}  // namespace

std::wstring AppPath(const std::wstring& app_paths, const std::wstring& program) {
  const std::wstring key = app_paths + L"\\" + program;
  const struct {
    HKEY root;
    REGSAM view;
  } places[] = {{HKEY_CURRENT_USER, 0},
                {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
                {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}};
  for (const auto& place : places) {
    std::wstring path = RegistryText(place.root, place.view, key);
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
      path = path.substr(1, path.size() - 2);
    }
    const DWORD attributes =
        path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return path;
    }
  }
  return {};
}

SpreadsheetApplicationFactory::SpreadsheetApplicationFactory(Settings settings)
    : settings_(std::move(settings)), com_(settings_.patience) {}

std::vector<std::string> SpreadsheetApplicationFactory::CalcCommand() const {
  for (const CalcProgram& calc : kCalcPrograms) {
    const std::wstring path = AppPath(settings_.app_paths, calc.name);
    if (path.empty()) continue;
    std::vector<std::string> command{Utf8OfWide(path)};
    command.insert(command.end(), calc.new_workbook_args.begin(), calc.new_workbook_args.end());
    return command;
  }
  return {};
}

bool SpreadsheetApplicationFactory::StartsCalc() const {
  return (excel_failed_ || !com_.Registered(settings_.excel_prog_id)) && !CalcCommand().empty();
}

std::shared_ptr<AutomationObject> SpreadsheetApplicationFactory::CreateObject(
    const std::string& prog_id) {
  if (!SameName(prog_id, kSpreadsheetProgId)) {
    throw RunTimeError(error::kCannotCreateObject,
                       "no program is known by the name \"" + prog_id + "\".");
  }
  std::optional<RunTimeError> excel_failure;
  if (com_.Registered(settings_.excel_prog_id) && !excel_failed_) {
    // Excel registered but not there or broken (uninstalled, damaged) makes way for Calc.
    try {
      return com_.CreateObject(settings_.excel_prog_id);
    } catch (const RunTimeError& failure) {
      excel_failure = failure;
    }
  }
  if (std::vector<std::string> command = CalcCommand(); !command.empty()) {
    if (excel_failure) excel_failed_ = true;
    return LaunchedApplication(std::move(command), settings_.start);
  }
  if (excel_failure) throw *excel_failure;
  throw RunTimeError(error::kCannotCreateObject,
                     "neither Microsoft Excel (excel.application) nor LibreOffice Calc "
                     "(soffice.exe or scalc.exe in the registry's App Paths) is installed. "
                     "Install one of them; the list is on the clipboard to paste anywhere.");
}

}  // namespace platform
