// What the window Kolvex is on either window system, beside the window system's own controls and
// what every window of the programs is (app/window_frame.h): the services it was given or made,
// and the form that holds every handler.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/main_form.h"
#include "app/window_frame.h"
#include "app/window_services.h"

namespace app {

class CommonWindow : public WindowFrame {
 public:
  MainForm& form() { return *form_; }

 protected:
  explicit CommonWindow(WindowServices services) : services_(std::move(services)) {}
  ~CommonWindow() override;

  // Makes with `system` each service the window was not given: the spreadsheet program and the
  // .dbf provider are the same on every system.
  void MakeMissingServices(SystemServices& system);
  // Makes the form over the window's list and status line, once the services are there.
  void MakeForm(platform::ListView& list, platform::StatusLine* status_line);
  // Runs Form_Load; false, after the message, when it fails (WindowFrame::Start).
  bool Load() {
    return Start([this] { form_->Form_Load(); });
  }
  platform::MessageBox& ReportBox() override { return *services_.message_box; }
  void EndProgram(int status) override { services_.exit_program(status); }

  WindowServices services_;
  std::unique_ptr<MainForm> form_;

 private:
  // Services made here when not given.
  std::unique_ptr<platform::FileDialog> own_dialog_;
  std::unique_ptr<platform::MessageBox> own_message_box_;
  std::unique_ptr<platform::MousePointer> own_pointer_;
  std::unique_ptr<platform::ObjectFactory> own_spreadsheet_;
  std::unique_ptr<platform::Clipboard> own_clipboard_;
};

}  // namespace app
