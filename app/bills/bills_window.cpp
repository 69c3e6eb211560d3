#include "app/bills/bills_window.h"

#include <filesystem>
#include <utility>

#include "platform/run_time_error.h"
#include "platform/system/document_viewer.h"
#include "platform/system/path_text.h"

namespace bills {

BillsWindow::~BillsWindow() = default;

void BillsWindow::MakeMissingServices(app::SystemServices& system) {
  MakeIfMissing(services_.open_dialog, own_open_dialog_, [&] { return system.MakeFileDialog(); });
  MakeIfMissing(services_.save_dialog, own_save_dialog_, [&] { return system.MakeSaveDialog(); });
  MakeIfMissing(services_.message_box, own_message_box_, [&] { return system.MakeMessageBox(); });
  MakeIfMissing(services_.pointer, own_pointer_, [&] { return system.MakeMousePointer(); });
  MakeIfMissing(services_.clipboard, own_clipboard_, [&] { return system.MakeClipboard(); });
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

void BillsWindow::AddChoiceBox(const std::string& name, platform::ChoiceBox& box) {
  choices_.emplace(name, &box);
}

platform::ChoiceBox& BillsWindow::Choices(const std::string& name) {
  const auto found = choices_.find(name);
  if (found == choices_.end()) throw platform::RunTimeError(platform::error::kControlNotFound);
  return *found->second;
}

bool BillsWindow::Load() {
  return Start([this] {
    form_->Form_Load();
    form_->Form_Resize();
  });
}

void BillsWindow::Run(design::Handler handler) {
  if (handler != nullptr) Guarded([&] { (form_.get()->*handler)(); });
}

}  // namespace bills
