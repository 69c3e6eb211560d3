// The window Kolvex on the Windows API.
//
// The window makes its controls from app/window_design.h as Windows' own (a list view, edit boxes,
// a static label and a push button), places them in twips through platform::win32::Win32Control at
// the resolution of the monitor it is on, wraps them in the platform adapters (masked date boxes,
// the virtual list, dialog, message box, pointer) and hands those to MainForm, which holds every
// handler, the same form as on Linux. Its own code only forwards Windows' messages to the handlers:
// the events app/window_design.h routes: the button's click, the menu commands and their keys, and
// the date boxes' focus moves within the window; what both programs' windows answer alike (size
// changes, the status bar below the inner area, Tab, the focus given back on activation, a
// monitor of another resolution) is app/win32/win32_window.h. Loads and exports run inside the
// message that started them, on this thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/common_window.h"
#include "app/win32/win32_window.h"

namespace platform::win32 {
class FocusEdit;
}  // namespace platform::win32

namespace app {

class Win32MainWindow : public Win32Window<CommonWindow> {
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

 private:
  void BuildControls();
  // The Data menu, and its commands' keys, which PreTranslate gives the window first.
  void BuildMenu();
  void ConnectEvents();
  void ApplyResolution() override;
  // The clicks of the button and of the menu commands.
  bool Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

  HMENU menu_ = nullptr;
  HFONT window_font_ = nullptr;
  // The fonts the controls name, by family, at the present resolution.
  std::map<std::string, HFONT> named_fonts_;

  // The text boxes in the order of design::kControls, and their adapters.
  std::vector<std::unique_ptr<platform::win32::FocusEdit>> edits_;
  std::vector<std::unique_ptr<platform::TextBox>> texts_;
};

}  // namespace app
