// The choice box on Windows: a drop-down list combo box (CBS_DROPDOWNLIST) of fixed items, which
// the user chooses from and cannot type into, and its place: the height a control is given is the
// closed box's, and the list that drops down below it has room for a dozen items.
#pragma once

#include <string>
#include <vector>

#include "platform/choice_box.h"
#include "platform/win32/control.h"

namespace platform::win32 {

class Win32ChoiceBox : public ChoiceBox {
 public:
  explicit Win32ChoiceBox(HWND box) : box_(box) {}

  void SetItems(const std::vector<std::string>& items) override;
  std::vector<std::string> Items() const override;
  int ListIndex() const override;
  void SetListIndex(int index) override;

 private:
  HWND box_;
};

class Win32ChoiceControl : public Win32Control {
 public:
  Win32ChoiceControl(HWND box, std::string name, Twips twips);
  void Place() override;
};

// Whether a WM_COMMAND notification `code` of a choice box is the user's choice of an item: a
// new item chosen in the closed box with the keyboard, or the open list closed on an item other
// than the one it opened on. `opened_on` keeps the box's index while its list is open.
bool IsUsersChoice(HWND box, int code, int& opened_on);

}  // namespace platform::win32
