// The window Kolvex Bills of one window system, driven as a user drives it, for the Kolvex Bills
// contract (tests/contract/bills_contract.h). Each system's driver opens its real window as the
// program does, with the services it is given; the fake window's drives the form over plain C++
// controls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/bills/bills_window.h"
#include "platform/form.h"
#include "platform/list_view.h"

namespace contract {

class BillsDriver {
 public:
  virtual ~BillsDriver() = default;

  // False when the start failed.
  virtual bool Opened() const = 0;
  // The inner area and the controls by name.
  virtual platform::Form& Window() = 0;
  // The listed bills.
  virtual platform::ListView& Bills() = 0;
  virtual std::string StatusLine() = 0;
  // A choice box's items, and the one chosen.
  virtual std::vector<std::string> Items(const char* name) = 0;
  virtual std::string Chosen(const char* name) = 0;
  // The user chooses the item shown as `item`.
  virtual void Choose(const char* name, const std::string& item) = 0;
  // A click on a button.
  virtual void Click(const char* name) = 0;
  // The inner size in pixels.
  virtual void SetInner(int width, int height) = 0;
};

// Opens a system's window with `services`, as the program does.
using BillsOpener = std::unique_ptr<BillsDriver> (*)(bills::BillsWindowServices services);

}  // namespace contract
