// The real Windows window, shown on the test's desktop, driven as a user drives it: keys and
// clicks go in through SendInput, as the keyboard and the mouse send them, and the window handles
// them through the same steps as the program's message loop.
#pragma once

#include <array>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/win32/win32_main_window.h"
#include "tests/contract/window_driver.h"
#include "tests/win32/host_window.h"

namespace win32_test {

// A key with the modifier keys held while it is pressed.
struct Key {
  WORD key;
  bool control = false;
  bool shift = false;
  bool alt = false;
};

// Opens the window as the program does and brings it to the front.
std::unique_ptr<contract::WindowDriver> OpenWindow(app::WindowServices services);

class WindowDriver : public contract::WindowDriver {
 public:
  static constexpr int kMostPixels = 32767;

  // Opens the window as the program does and brings it to the front.
  explicit WindowDriver(app::WindowServices services);

  bool Opened() const override { return window_ != nullptr; }
  int MostPixels() const override { return kMostPixels; }
  app::Win32MainWindow& Window() override { return *window_; }
  app::MainForm& Form() override { return window_->form(); }
  platform::ListView& List() override { return window_->list(); }
  HWND Hwnd(const char* name) { return window_->ControlWindow(name); }

  // The window's message loop until nothing is waiting.
  void Pump();
  // The name of the control with the focus, or "" for none of the window's.
  std::string Focused() override;
  // Moves the focus to the control as Tab does.
  void Enter(const char* name) override;
  // Presses the keys one after the other, all sent before the window handles any: a key that
  // opens a menu is followed by the keys that work in it.
  void Press(std::initializer_list<Key> keys);
  void PressKeys(const std::vector<Key>& keys);
  void PressTab() override { Press({{VK_TAB}}); }
  void PressDelete() override { Press({{VK_DELETE}}); }
  void Type(std::string_view text) override;
  // A left click on the control at `x` pixels from its left edge (its frame included), halfway
  // down; a drag to `to_x` when that is given.
  void Click(const char* name, int x, int to_x = -1) override;
  void ClickBrowse() override;
  void ChooseExport() override { Press({{'D', false, false, true}, {VK_RETURN}}); }
  // The Data menu's items as it shows them, "Export to Excel\tCtrl+E".
  std::vector<std::string> DataMenu() override;
  // Opens the Data menu with Alt+D and goes down to the item shown so, then presses Enter.
  void ChooseDataItem(const std::string& shown) override;
  void PressCtrl(char letter) override { Press({{static_cast<WORD>(letter), true}}); }
  void PressF5() override { Press({{VK_F5}}); }
  void PressEnter() override { Press({{VK_RETURN}}); }
  // The text of the status bar.
  std::string StatusLine() override;
  // The x, from the edit box's left edge, at which a click puts the caret before character
  // `position`.
  int Before(const char* name, int position) override;
  // Another window of the desktop, made active; then the window, made active again.
  void ActivateOtherWindow() override;
  void ActivateWindow() override;
  std::string Title() override;
  std::string Caption(const char* name) override;
  std::string ToolTip(const char* name) override;
  std::vector<std::string> MenuBar() override;

  std::pair<int, int> Inner() override;
  void SetInner(int width, int height) override;
  void Minimise() override;
  void Restore() override;
  double TwipsPerPixel() override;
  std::array<int, 4> Pixels(const char* name) override;

 private:
  // Under Wine each move of the pointer also moves the X server's, which reports the move back
  // some time later: on a busy machine after the driver has moved it on, or pressed a button.
  // Windows then hears the pointer jump back to where it was, which no user did. Such a move,
  // to anywhere but where the driver last put the pointer, is dropped.
  bool StaleMove(const MSG& message) const;
  // Runs the loop until the window is the active one.
  void AwaitActive();
  // Sends the inputs and runs the loop until the window has taken each key and button.
  void Send(std::vector<INPUT>& inputs);

  std::unique_ptr<app::Win32MainWindow> window_;
  std::optional<POINT> pointer_;     // where the driver last put the pointer, in screen pixels
  std::optional<HostWindow> other_;  // another program's window
};

}  // namespace win32_test
