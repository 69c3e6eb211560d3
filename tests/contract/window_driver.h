// A window of one window system, driven as a user drives it, for the window contract
// (tests/contract/window_contract.h). Each system's driver opens the real window as the program
// does, with the services it is given; the fake window's driver drives the form over plain C++
// controls.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/main_form.h"
#include "app/window_services.h"
#include "platform/form.h"
#include "platform/list_view.h"

namespace contract {

class WindowDriver {
 public:
  virtual ~WindowDriver() = default;

  // False when the start failed.
  virtual bool Opened() const = 0;
  // The window's inner area and controls.
  virtual platform::Form& Window() = 0;
  virtual app::MainForm& Form() = 0;
  virtual platform::ListView& List() = 0;

  // The name of the control with the focus.
  virtual std::string Focused() = 0;
  // Moves the focus to the control as Tab does.
  virtual void Enter(const char* name) = 0;
  virtual void PressTab() = 0;
  // A left click `x` pixels from the control's left edge (as Pixels places it), halfway down;
  // with `to_x`, a drag there.
  virtual void Click(const char* name, int x, int to_x = -1) = 0;
  // The x at which a click puts the caret before character `position` of a text box.
  virtual int Before(const char* name, int position) = 0;
  // Another window of the desktop becomes the active one, then the window again (only with a
  // window system: HasWindowSystem).
  virtual void ActivateOtherWindow() = 0;
  virtual void ActivateWindow() = 0;
  virtual void PressDelete() = 0;
  virtual void Type(std::string_view keys) = 0;
  // A click of the mouse on Browse Database.
  virtual void ClickBrowse() = 0;
  // Data > Export to Excel.
  virtual void ChooseExport() = 0;
  // The Data menu's items: text, tab, key ("Export to Excel\tCtrl+E").
  virtual std::vector<std::string> DataMenu() = 0;
  // Chooses the item DataMenu shows so, by the keys.
  virtual void ChooseDataItem(const std::string& shown) = 0;
  // A capital letter with Ctrl, on the focused control.
  virtual void PressCtrl(char letter) = 0;
  virtual void PressF5() = 0;
  // On the focused control.
  virtual void PressEnter() = 0;
  virtual std::string StatusLine() = 0;
  virtual std::string Title() = 0;
  // A label's or a button's text.
  virtual std::string Caption(const char* name) = 0;
  // What hovering over the control says.
  virtual std::string ToolTip(const char* name) = 0;
  // The menus' titles, "&" before the key's letter.
  virtual std::vector<std::string> MenuBar() = 0;
  // The inner area's size in pixels, and asking the window system for another.
  virtual std::pair<int, int> Inner() = 0;
  virtual void SetInner(int width, int height) = 0;
  virtual void Minimise() = 0;
  virtual void Restore() = 0;
  virtual double TwipsPerPixel() = 0;
  // Left, top, width and height in pixels in the inner area.
  virtual std::array<int, 4> Pixels(const char* name) = 0;
  // The largest size a control takes on screen.
  virtual int MostPixels() const = 0;
  // False for the window without a window system, where no other window can become the active
  // one.
  virtual bool HasWindowSystem() const { return true; }
};

// Opens a system's window with `services`, as the program does.
using WindowOpener = std::unique_ptr<WindowDriver> (*)(app::WindowServices services);

}  // namespace contract
