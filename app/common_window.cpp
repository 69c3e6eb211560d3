#include "app/common_window.h"

#include <utility>

#include "platform/current_error.h"
#include "platform/system/spreadsheet_application.h"

namespace app {

CommonWindow::~CommonWindow() = default;

void CommonWindow::MakeMissingServices(SystemServices& system) {
  if (services_.CD == nullptr) {
    own_dialog_ = system.MakeFileDialog();
    services_.CD = own_dialog_.get();
  }
  if (services_.message_box == nullptr) {
    own_message_box_ = system.MakeMessageBox();
    services_.message_box = own_message_box_.get();
  }
  if (services_.pointer == nullptr) {
    own_pointer_ = system.MakeMousePointer();
    services_.pointer = own_pointer_.get();
  }
  if (services_.spreadsheet == nullptr) {
    own_spreadsheet_ = std::make_unique<platform::SpreadsheetApplicationFactory>();
    services_.spreadsheet = own_spreadsheet_.get();
  }
  if (services_.clipboard == nullptr) {
    own_clipboard_ = system.MakeClipboard();
    services_.clipboard = own_clipboard_.get();
  }
  if (services_.provider == nullptr) services_.provider = &platform::db::DbfProvider();
  if (!services_.exit_program) services_.exit_program = system.ExitProgram();
}

void CommonWindow::MakeForm(platform::ListView& list, platform::StatusLine* status_line) {
  form_ = std::make_unique<MainForm>(
      *this, list,
      FormServices{*services_.CD, *services_.message_box, *services_.pointer, *services_.clipboard,
                   *services_.spreadsheet, *services_.provider, status_line});
}

void CommonWindow::AddControl(const std::string& name,
                              std::unique_ptr<platform::PlacedControl> control) {
  controls_.emplace(name, std::move(control));
}

platform::PlacedControl* CommonWindow::FindControl(const std::string& name) const {
  const auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second.get();
}

platform::Control& CommonWindow::Controls(const std::string& name) {
  platform::PlacedControl* control = FindControl(name);
  if (control == nullptr) throw platform::RunTimeError(platform::error::kControlNotFound);
  return *control;
}

void CommonWindow::PlaceControls() {
  for (auto& [name, control] : controls_) control->Place();
}

bool CommonWindow::Load() {
  try {
    form_->Form_Load();
    return true;
  } catch (...) {
    services_.message_box->Show(platform::CurrentError().Prompt(),
                                platform::MessageIcon::kCritical);
    return false;
  }
}

void CommonWindow::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ReportAndExit();
  }
}

void CommonWindow::ReportAndExit() noexcept {
  try {
    services_.message_box->Show(platform::CurrentError().Prompt(),
                                platform::MessageIcon::kCritical);
  } catch (...) {
    // Nothing more can be shown; the program ends all the same.
  }
  try {
    services_.exit_program(1);
  } catch (...) {
    ExitAnyway(1);
  }
}

}  // namespace app
