// The window Kolvex on the Windows API.
//
// The window makes its controls from app/window_design.h as Windows' own (a list view, edit boxes,
// a static label and a push button), places them in twips through platform::win32::Win32Control at
// the resolution of the monitor it is on, wraps them in the platform adapters (masked date boxes,
// the virtual list, dialog, message box, pointer) and hands those to MainForm, which holds every
// handler, the same form as on Linux. Its own code only forwards Windows' messages to the handlers:
// size changes of the inner area (minimising and restoring among them), and the events
// app/window_design.h routes: the button's click, the menu commands and their keys, and the date
// boxes' focus moves within the window. It shows the form's status line in a status bar below the
// inner area (which the layout does not measure: the inner area ends above it), moves the focus
// between controls with Tab as a dialog does, gives the focus back to the control that had it when
// the window is activated again, and lays itself out anew when it is moved to a monitor of another
// resolution. Each forwarded call runs inside a last-chance guard, and so does the whole window
// procedure, so no exception reaches Windows: an error no handler took is reported and the program
// ends. Loads and exports run inside the message that started them, on this thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/common_window.h"
#include "platform/system/windows_api.h"
#include "platform/win32/window_parts.h"

namespace platform::win32 {
class FocusEdit;
class Win32ListView;
}  // namespace platform::win32

namespace app {

class Win32MainWindow : public CommonWindow {
 public:
  // The controls' identifiers: kFirstControl + their place in design::kControls, which is also
  // their tab order; the menu commands', kFirstCommand + their place in design::kDataMenu.
  enum Id : int {
    kFirstControl = 100,
    kStatusLine = 150,
    kFirstCommand = 200,
  };

  // Builds the window at its start size, hidden and not yet loaded.
  explicit Win32MainWindow(WindowServices services = {});
  ~Win32MainWindow() override;

  // Creates the window, runs Form_Load and shows it as `show` says (SW_SHOWDEFAULT, or what the
  // program was started with). When Form_Load fails, reports "<number>: <description>" with the
  // critical icon and returns null without showing anything.
  static std::unique_ptr<Win32MainWindow> Open(WindowServices services = {},
                                               int show = SW_SHOWDEFAULT);

  platform::ListView& list();
  HWND window() const { return window_; }
  // The window of the control named `name`, or null.
  HWND ControlWindow(const std::string& name) const;
  // The status bar along the bottom.
  HWND StatusWindow() const { return status_; }

  float ScaleWidth() const override;
  float ScaleHeight() const override;

  // What the message loop does with a message before it is dispatched: the menu commands' keys
  // (Ctrl+E) whichever control has the focus, and Tab and the other keys that move between the
  // controls. True when the message was taken and must not be dispatched.
  bool PreTranslate(MSG& message);

 private:
  template <typename Window>
  friend Window* platform::win32::WindowObject(HWND, UINT, LPARAM);

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void BuildControls();
  void BuildMenu();
  void ConnectEvents();
  // Fonts and places for the window's present resolution.
  void ApplyResolution();
  void SizeToStart();
  void ExitAnyway(int status) noexcept override;

  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  HWND status_ = nullptr;
  HMENU menu_ = nullptr;
  HACCEL keys_ = nullptr;
  HFONT window_font_ = nullptr;
  // The fonts the controls name, by family, at the present resolution.
  std::map<std::string, HFONT> named_fonts_;
  platform::win32::ProgramIcons icons_;
  platform::win32::SharedMessages shared_;

  // The text boxes in the order of design::kControls, and their adapters.
  std::vector<std::unique_ptr<platform::win32::FocusEdit>> edits_;
  std::vector<std::unique_ptr<platform::TextBox>> texts_;
  std::unique_ptr<platform::win32::Win32ListView> list_;
  std::unique_ptr<platform::StatusLine> status_line_;
};

}  // namespace app
