// A spreadsheet program that takes no automation, driven by the automation names the export
// uses: "Workbooks" then "Add" prepares a new, empty workbook, and "Visible" set to True on
// "Application" starts the program with that workbook in front. The program itself only starts
// when it is made visible; it runs on its own and stays open when the object is released or we
// exit, as the export expects.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.h"

namespace platform {

// The program identifier the export creates its spreadsheet program by.
inline constexpr char kSpreadsheetProgId[] = "excel.application";

// Whether two names are the same in any letter case, as automation names and program
// identifiers are compared.
bool SameName(std::string_view a, std::string_view b);

// Starts `argv[0]`, a full path, with the arguments after it, and returns once it has started.
using ProgramStarter = std::function<void(const std::vector<std::string>& argv)>;

// The application object of the program `new_workbook_command` starts: its full path, then the
// arguments that make it open a new, empty workbook. Started by `start` when made visible, and
// again for each workbook added while it is. Its objects answer the members above in any letter
// case and throw RunTimeError 438 for any other member; making it visible throws what `start`
// throws, and may then be tried again.
std::shared_ptr<AutomationObject> LaunchedApplication(std::vector<std::string> new_workbook_command,
                                                      ProgramStarter start);

}  // namespace platform
