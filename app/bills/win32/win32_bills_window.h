// The window Kolvex Bills on the Windows API: the controls of app/bills/bills_design.h made as
// Windows' own (a virtual list view, read-only edit boxes, static labels, push buttons and
// drop-down lists), placed in twips through platform::win32::Win32Control at the resolution of
// the monitor the window is on, wrapped in the platform adapters and handed to BillsForm, which
// holds every handler, the same form as on Linux. Its own code only forwards Windows' messages:
// size changes of the inner area, the buttons' clicks and the user's choices in the choice boxes
// (choices the form makes itself run nothing). The status line is a status bar below the inner
// area. Tab and the labels' and buttons' Alt letters move and click as in a dialog.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/bills/bills_window.h"
#include "platform/system/windows_api.h"
#include "platform/win32/window_parts.h"

namespace platform::win32 {
class Win32ListView;
}  // namespace platform::win32

namespace bills {

class Win32BillsWindow : public BillsWindow {
 public:
  // The controls' identifiers: kFirstControl + their place in design::kControls.
  enum Id : int { kFirstControl = 100, kStatusLine = 150 };

  // Builds the window at its start size, hidden and not yet loaded.
  explicit Win32BillsWindow(BillsWindowServices services = {});
  ~Win32BillsWindow() override;

  // Creates the window, runs Form_Load and shows it as `show` says; null, after the message,
  // when the start fails.
  static std::unique_ptr<Win32BillsWindow> Open(BillsWindowServices services = {},
                                                int show = SW_SHOWDEFAULT);

  platform::ListView& list();
  HWND window() const { return window_; }
  // The window of the control named `name`, or null.
  HWND ControlWindow(const std::string& name) const;
  HWND StatusWindow() const { return status_; }
  float ScaleWidth() const override;
  float ScaleHeight() const override;

  // What the message loop does with a message before it is dispatched: Tab and the Alt letters
  // of the labels and buttons. True when the message was taken and must not be dispatched.
  bool PreTranslate(MSG& message);

 private:
  template <typename Window>
  friend Window* platform::win32::WindowObject(HWND, UINT, LPARAM);

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void BuildControls();
  void ApplyResolution();
  void SizeToStart();
  void ExitAnyway(int status) noexcept override;

  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  HWND status_ = nullptr;
  HFONT font_ = nullptr;
  platform::win32::ProgramIcons icons_;
  platform::win32::SharedMessages shared_;
  // Each choice box's index when its list was opened, by the box's place in design::kControls.
  std::vector<int> opened_on_;

  std::vector<std::unique_ptr<platform::TextBox>> texts_;
  std::vector<std::unique_ptr<platform::ChoiceBox>> choices_;
  std::unique_ptr<platform::win32::Win32ListView> list_;
  std::unique_ptr<platform::StatusLine> status_line_;
};

}  // namespace bills
