// What every window of the programs is beside its window system's own controls: its controls by
// name, each placed in twips, and the last-chance guard each forwarded call runs inside, so no
// exception reaches the window system: an error no handler took is reported and the program
// ends.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/clipboard.h"
#include "platform/controls/placed_control.h"
#include "platform/file_dialog.h"
#include "platform/form.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "platform/save_dialog.h"

namespace app {

// The real services of one window system, which a window makes for whatever it is not given.
class SystemServices {
 public:
  virtual ~SystemServices() = default;
  virtual std::unique_ptr<platform::FileDialog> MakeFileDialog() = 0;
  virtual std::unique_ptr<platform::SaveDialog> MakeSaveDialog() = 0;
  virtual std::unique_ptr<platform::MessageBox> MakeMessageBox() = 0;
  virtual std::unique_ptr<platform::MousePointer> MakeMousePointer() = 0;
  virtual std::unique_ptr<platform::Clipboard> MakeClipboard() = 0;
  // Ends the window system's event loop with a status.
  virtual std::function<void(int)> ExitProgram() = 0;
};

class WindowFrame : public platform::Form {
 public:
  WindowFrame(const WindowFrame&) = delete;
  WindowFrame& operator=(const WindowFrame&) = delete;

  // Throws RunTimeError 730 for a name no control has.
  platform::Control& Controls(const std::string& name) override;

 protected:
  WindowFrame() = default;
  ~WindowFrame() override;

  // Adds the control `name`, which the form finds through Controls.
  void AddControl(const std::string& name, std::unique_ptr<platform::PlacedControl> control);
  // The control `name`, or null.
  platform::PlacedControl* FindControl(const std::string& name) const;
  // Shows every control at its twips again, as after a change of the screen's resolution.
  void PlaceControls();

  // Runs the form's start. When it fails, reports "<number>: <description>" with the critical
  // icon and returns false: the window is then not to be shown.
  bool Start(const std::function<void()>& start);
  // Runs `handler`; an error that escapes it is reported and ends the program.
  void Guarded(const std::function<void()>& handler);
  // Reports the error being handled and ends the program; call inside a catch block.
  void ReportAndExit() noexcept;

  // Points `service` at one `make` makes, kept in `own`, when the window was not given one.
  template <typename Service, typename Own, typename Make>
  static void MakeIfMissing(Service*& service, Own& own, Make make) {
    if (service != nullptr) return;
    own = make();
    service = own.get();
  }

  // The message box the reports go to, and the program's end, once the services are there.
  virtual platform::MessageBox& ReportBox() = 0;
  virtual void EndProgram(int status) = 0;
  // Ends the program when EndProgram has failed.
  virtual void ExitAnyway(int /*status*/) noexcept {}

 private:
  std::map<std::string, std::unique_ptr<platform::PlacedControl>, std::less<>> controls_;
};

}  // namespace app
