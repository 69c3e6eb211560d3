// The window Kolvex Bills on the Windows API: the controls of app/bills/bills_design.h made as
// Windows' own (a virtual list view, read-only edit boxes, static labels, push buttons and
// drop-down lists), placed in twips through platform::win32::Win32Control at the resolution of
// the monitor the window is on, wrapped in the platform adapters and handed to BillsForm, which
// holds every handler, the same form as on Linux. Its own code only forwards Windows' messages:
// size changes of the inner area, the buttons' clicks and the user's choices in the choice boxes
// (choices the form makes itself run nothing), and a label's Alt letter; the rest, the status bar
// below the inner area and Tab among them, is what both programs' windows do alike
// (app/win32/win32_window.h).
#pragma once

#include <memory>
#include <vector>

#include "app/bills/bills_window.h"
#include "app/win32/win32_window.h"

namespace bills {

class Win32BillsWindow : public app::Win32Window<BillsWindow> {
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

 private:
  void BuildControls();
  void ApplyResolution() override;
  // The buttons' clicks, the users' choices and the labels' Alt letters.
  bool Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

  HFONT font_ = nullptr;
  // Each choice box's index when its list was opened, by the box's place in design::kControls.
  std::vector<int> opened_on_;

  std::vector<std::unique_ptr<platform::TextBox>> texts_;
  std::vector<std::unique_ptr<platform::ChoiceBox>> choices_;
};

}  // namespace bills
