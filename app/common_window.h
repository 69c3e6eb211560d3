// What the window Kolvex is on either window system, beside the window system's own controls: the
// services it was given or made, the form that holds every handler, the controls by name, and the
// last-chance guard each forwarded call runs inside, so no exception reaches the window system:
// an error no handler took is reported and the program ends.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/main_form.h"
#include "app/window_services.h"
#include "platform/controls/placed_control.h"
#include "platform/form.h"

namespace app {

// The real services of one window system, which the window makes for whatever it is not given.
class SystemServices {
 public:
  virtual ~SystemServices() = default;
  virtual std::unique_ptr<platform::FileDialog> MakeFileDialog() = 0;
  virtual std::unique_ptr<platform::MessageBox> MakeMessageBox() = 0;
  virtual std::unique_ptr<platform::MousePointer> MakeMousePointer() = 0;
  virtual std::unique_ptr<platform::Clipboard> MakeClipboard() = 0;
  // Ends the window system's event loop with a status.
  virtual std::function<void(int)> ExitProgram() = 0;
};

class CommonWindow : public platform::Form {
 public:
  CommonWindow(const CommonWindow&) = delete;
  CommonWindow& operator=(const CommonWindow&) = delete;

  MainForm& form() { return *form_; }
  // Throws RunTimeError 730 for a name no control has.
  platform::Control& Controls(const std::string& name) override;

 protected:
  explicit CommonWindow(WindowServices services) : services_(std::move(services)) {}
  ~CommonWindow() override;

  // Makes with `system` each service the window was not given: the spreadsheet program and the
  // .dbf provider are the same on every system.
  void MakeMissingServices(SystemServices& system);
  // Makes the form over the window's list and status line, once the services are there.
  void MakeForm(platform::ListView& list, platform::StatusLine* status_line);
  // Adds the control `name`, which the form finds through Controls.
  void AddControl(const std::string& name, std::unique_ptr<platform::PlacedControl> control);
  // The control `name`, or null.
  platform::PlacedControl* FindControl(const std::string& name) const;
  // Shows every control at its twips again, as after a change of the screen's resolution.
  void PlaceControls();

  // Runs Form_Load. When it fails, reports "<number>: <description>" with the critical icon and
  // returns false: the window is then not to be shown.
  bool Load();
  // Runs `handler`; an error that escapes it is reported and ends the program.
  void Guarded(const std::function<void()>& handler);
  // Reports the error being handled and ends the program; call inside a catch block.
  void ReportAndExit() noexcept;
  // Ends the program when the services' own way has failed.
  virtual void ExitAnyway(int /*status*/) noexcept {}

  WindowServices services_;
  std::unique_ptr<MainForm> form_;

 private:
  // Services made here when not given.
  std::unique_ptr<platform::FileDialog> own_dialog_;
  std::unique_ptr<platform::MessageBox> own_message_box_;
  std::unique_ptr<platform::MousePointer> own_pointer_;
  std::unique_ptr<platform::ObjectFactory> own_spreadsheet_;
  std::unique_ptr<platform::Clipboard> own_clipboard_;
  std::map<std::string, std::unique_ptr<platform::PlacedControl>, std::less<>> controls_;
};

}  // namespace app
