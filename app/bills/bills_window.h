// What the window Kolvex Bills is on either window system, beside the window system's own controls
// and what every window of the programs is (app/window_frame.h): the services it was given or
// made, the form that holds every handler, and the choice boxes by name.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/bills/bills_design.h"
#include "app/bills/bills_form.h"
#include "app/window_frame.h"

namespace bills {

// Any service left null or empty is the real one: the system's dialogs, message box and pointer,
// the system clipboard, the .dbf provider, the desktop's PDF viewer and the current folder.
// Whatever is given must outlive the window.
struct BillsWindowServices {
  platform::FileDialog* open_dialog = nullptr;
  platform::SaveDialog* save_dialog = nullptr;
  platform::MessageBox* message_box = nullptr;
  platform::MousePointer* pointer = nullptr;
  platform::Clipboard* clipboard = nullptr;
  platform::db::Provider* provider = nullptr;
  std::function<void(const std::string&)> open_document;
  std::optional<std::string> start_folder;
  // Ends the program's event loop with a status, after an error no handler took.
  std::function<void(int)> exit_program;
};

class BillsWindow : public app::WindowFrame {
 public:
  BillsForm& form() { return *form_; }
  // The choice box `name`. Throws 730 for a name no choice box has.
  platform::ChoiceBox& Choices(const std::string& name);

 protected:
  explicit BillsWindow(BillsWindowServices services) : services_(std::move(services)) {}
  ~BillsWindow() override;

  void MakeMissingServices(app::SystemServices& system);
  // Makes the form over the window's controls, once they and the services are there.
  void MakeForm(platform::ListView& bills, platform::StatusLine& status_line);
  void AddChoiceBox(const std::string& name, platform::ChoiceBox& box);

  // Runs Form_Load and lays the window out; false, after the message, when that fails.
  bool Load();
  // Runs the form's `handler`, if any; an error that escapes it is reported and ends the program.
  void Run(design::Handler handler);
  platform::MessageBox& ReportBox() override { return *services_.message_box; }
  void EndProgram(int status) override { services_.exit_program(status); }

  BillsWindowServices services_;
  std::unique_ptr<BillsForm> form_;

 private:
  std::unique_ptr<platform::FileDialog> own_open_dialog_;
  std::unique_ptr<platform::SaveDialog> own_save_dialog_;
  std::unique_ptr<platform::MessageBox> own_message_box_;
  std::unique_ptr<platform::MousePointer> own_pointer_;
  std::unique_ptr<platform::Clipboard> own_clipboard_;
  std::map<std::string, platform::ChoiceBox*, std::less<>> choices_;
};

}  // namespace bills
