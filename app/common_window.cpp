#include "app/common_window.h"

#include <utility>

#include "platform/system/spreadsheet_application.h"

namespace app {

CommonWindow::~CommonWindow() = default;

void CommonWindow::MakeMissingServices(SystemServices& system) {
  MakeIfMissing(services_.CD, own_dialog_, [&] { return system.MakeFileDialog(); });
  MakeIfMissing(services_.message_box, own_message_box_, [&] { return system.MakeMessageBox(); });
  MakeIfMissing(services_.pointer, own_pointer_, [&] { return system.MakeMousePointer(); });
  MakeIfMissing(services_.spreadsheet, own_spreadsheet_,
                [] { return std::make_unique<platform::SpreadsheetApplicationFactory>(); });
  MakeIfMissing(services_.clipboard, own_clipboard_, [&] { return system.MakeClipboard(); });
  if (services_.provider == nullptr) services_.provider = &platform::db::DbfProvider();
  if (!services_.exit_program) services_.exit_program = system.ExitProgram();
}

void CommonWindow::MakeForm(platform::ListView& list, platform::StatusLine* status_line) {
  form_ = std::make_unique<MainForm>(
      *this, list,
      FormServices{*services_.CD, *services_.message_box, *services_.pointer, *services_.clipboard,
                   *services_.spreadsheet, *services_.provider, status_line});
}

}  // namespace app
