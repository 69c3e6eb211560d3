// What the window Kolvex Bills is on either window system, beside the toolkit's own controls: the
// services it was given or made, the form that holds every handler, the controls and choice boxes
// by name, and the last-chance guard each forwarded call runs inside, so no exception reaches the
// window system: an error no handler took is reported and the program ends.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/bills/bills_design.h"
#include "app/bills/bills_form.h"
#include "platform/controls/placed_control.h"

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

// The real services of one window system, which the window makes for whatever it is not given.
class BillsSystem {
 public:
  virtual ~BillsSystem() = default;
  virtual std::unique_ptr<platform::FileDialog> MakeFileDialog() = 0;
  virtual std::unique_ptr<platform::SaveDialog> MakeSaveDialog() = 0;
  virtual std::unique_ptr<platform::MessageBox> MakeMessageBox() = 0;
  virtual std::unique_ptr<platform::MousePointer> MakeMousePointer() = 0;
  virtual std::unique_ptr<platform::Clipboard> MakeClipboard() = 0;
  virtual std::function<void(int)> ExitProgram() = 0;
};

class BillsWindow : public platform::Form {
 public:
  BillsWindow(const BillsWindow&) = delete;
  BillsWindow& operator=(const BillsWindow&) = delete;

  BillsForm& form() { return *form_; }
  // Throws RunTimeError 730 for a name no control has.
  platform::Control& Controls(const std::string& name) override;
  // The choice box `name`. Throws 730 for a name no choice box has.
  platform::ChoiceBox& Choices(const std::string& name);

 protected:
  explicit BillsWindow(BillsWindowServices services) : services_(std::move(services)) {}
  ~BillsWindow() override;

  void MakeMissingServices(BillsSystem& system);
  // Makes the form over the window's controls, once they and the services are there.
  void MakeForm(platform::ListView& bills, platform::StatusLine& status_line);
  void AddControl(const std::string& name, std::unique_ptr<platform::PlacedControl> control);
  void AddChoiceBox(const std::string& name, platform::ChoiceBox& box);
  platform::PlacedControl* FindControl(const std::string& name) const;
  void PlaceControls();

  // Runs Form_Load; when it fails, reports the error and returns false.
  bool Load();
  // Runs the form's `handler`, if any; an error that escapes it is reported and ends the program.
  void Run(design::Handler handler);
  void Guarded(const std::function<void()>& handler);

  BillsWindowServices services_;
  std::unique_ptr<BillsForm> form_;

 private:
  std::unique_ptr<platform::FileDialog> own_open_dialog_;
  std::unique_ptr<platform::SaveDialog> own_save_dialog_;
  std::unique_ptr<platform::MessageBox> own_message_box_;
  std::unique_ptr<platform::MousePointer> own_pointer_;
  std::unique_ptr<platform::Clipboard> own_clipboard_;
  std::map<std::string, std::unique_ptr<platform::PlacedControl>, std::less<>> controls_;
  std::map<std::string, platform::ChoiceBox*, std::less<>> choices_;
};

}  // namespace bills
