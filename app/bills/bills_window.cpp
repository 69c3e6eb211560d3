#include "app/bills/bills_window.h"

#include <filesystem>
#include <utility>

#include "platform/current_error.h"
#include "platform/system/document_viewer.h"
#include "platform/system/path_text.h"

namespace bills {

BillsWindow::~BillsWindow() = default;

void BillsWindow::MakeMissingServices(BillsSystem& system) {
  const auto make = [](auto*& service, auto& own, auto&& maker) {
    if (service != nullptr) return;
    own = maker();
    service = own.get();
  };
  make(services_.open_dialog, own_open_dialog_, [&] { return system.MakeFileDialog(); });
  make(services_.save_dialog, own_save_dialog_, [&] { return system.MakeSaveDialog(); });
  make(services_.message_box, own_message_box_, [&] { return system.MakeMessageBox(); });
  make(services_.pointer, own_pointer_, [&] { return system.MakeMousePointer(); });
  make(services_.clipboard, own_clipboard_, [&] { return system.MakeClipboard(); });
  if (services_.provider == nullptr) services_.provider = &platform::db::DbfProvider();
  if (!services_.open_document) services_.open_document = &platform::OpenDocument;
  if (!services_.start_folder) {
    std::error_code unknown;
    services_.start_folder = platform::Utf8Of(std::filesystem::current_path(unknown));
  }
  if (!services_.exit_program) services_.exit_program = system.ExitProgram();
}

void BillsWindow::MakeForm(platform::ListView& bills, platform::StatusLine& status_line) {
  form_ = std::make_unique<BillsForm>(
      *this,
      BillsControls{bills, Choices("CboYear"), Choices("CboMonth"), Choices("CboPart"),
                    Choices("CboCommission"), status_line},
      BillsServices{*services_.open_dialog, *services_.save_dialog, *services_.message_box,
                    *services_.pointer, *services_.clipboard, *services_.provider,
                    services_.open_document, *services_.start_folder});
}

void BillsWindow::AddControl(const std::string& name,
                             std::unique_ptr<platform::PlacedControl> control) {
  controls_.emplace(name, std::move(control));
}

void BillsWindow::AddChoiceBox(const std::string& name, platform::ChoiceBox& box) {
  choices_.emplace(name, &box);
}

platform::PlacedControl* BillsWindow::FindControl(const std::string& name) const {
  const auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second.get();
}

platform::Control& BillsWindow::Controls(const std::string& name) {
  platform::PlacedControl* control = FindControl(name);
  if (control == nullptr) throw platform::RunTimeError(platform::error::kControlNotFound);
  return *control;
}

platform::ChoiceBox& BillsWindow::Choices(const std::string& name) {
  const auto found = choices_.find(name);
  if (found == choices_.end()) throw platform::RunTimeError(platform::error::kControlNotFound);
  return *found->second;
}

void BillsWindow::PlaceControls() {
  for (auto& [name, control] : controls_) control->Place();
}

bool BillsWindow::Load() {
  try {
    form_->Form_Load();
    form_->Form_Resize();
    return true;
  } catch (...) {
    services_.message_box->Show(platform::CurrentError().Prompt(),
                                platform::MessageIcon::kCritical);
    return false;
  }
}

void BillsWindow::Run(design::Handler handler) {
  if (handler != nullptr) Guarded([&] { (form_.get()->*handler)(); });
}

void BillsWindow::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    try {
      services_.message_box->Show(platform::CurrentError().Prompt(),
                                  platform::MessageIcon::kCritical);
    } catch (...) {
      // Nothing more can be shown; the program ends all the same.
    }
    services_.exit_program(1);
  }
}

}  // namespace bills
