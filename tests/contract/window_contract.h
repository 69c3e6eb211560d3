// What the window does on every window system, as one suite over a driver of each system's real
// window (tests/contract/window_driver.h), shown, with fakes for everything outside it and
// today's date fixed: the start, the layout on resize, the date boxes typed and clicked into,
// Browse Database and the export. The suite is compiled once (window_contract.cpp); each system
// instantiates it with the function that opens its window:
//
//   INSTANTIATE_TEST_SUITE_P(Qt, WindowContract, testing::Values(&OpenQtWindow));
//
// A system's own window tests use WindowFixture, with the same fakes, over the same driver.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/window_services.h"
#include "platform/system/date_services.h"
#include "tests/contract/window_driver.h"
#include "tests/fakes/call_log.h"
#include "tests/fakes/fake_automation.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_mouse_pointer.h"
#include "tests/fakes/fake_provider.h"

namespace contract {

class WindowFixture : public testing::Test {
 protected:
  // AD 2022-08-28 is BS 2079/05/12.
  explicit WindowFixture(platform::Date today = {2022, 8, 28});
  ~WindowFixture() override;

  // Opens the system's window with `services`.
  virtual std::unique_ptr<WindowDriver> OpenWindow(app::WindowServices services) = 0;

  void SetUp() override;
  void TearDown() override;

  // The fakes, and an end of the program that is only noted.
  app::WindowServices Services();
  // Closes the window and opens it again with `services`.
  void Reopen(app::WindowServices services);
  // Opens the window again on the real provider, which reads table files.
  void OpenOnTheRealProvider();
  platform::Control& Control(const char* name);
  std::string TextOf(const char* name);
  platform::ListView& List();
  // Two records on 2079/05/12, one on 2079/05/13.
  void StockTwoDays();
  // Each item's text and its first sub-item's.
  std::vector<std::string> ItemTexts();

  static constexpr char kTable[] = "/data/TRAN.dbf";
  static constexpr char kOtherTable[] = "/data/OLD.dbf";

  platform::ScopedToday today_;
  fakes::CallLog log_;
  fakes::FakeFileDialog dialog_{&log_};
  fakes::FakeMessageBox message_box_{&log_};
  fakes::FakeMousePointer screen_{&log_};
  fakes::FakeClipboard clipboard_{&log_};
  fakes::FakeObjectFactory objects_{&log_};
  fakes::FakeProvider provider_;
  std::vector<int> exit_statuses_;  // the program's ends that were asked for
  std::unique_ptr<WindowDriver> window_;
};

// The contract, over the window the parameter opens.
class WindowContract : public WindowFixture, public testing::WithParamInterface<WindowOpener> {
 protected:
  std::unique_ptr<WindowDriver> OpenWindow(app::WindowServices services) override {
    return GetParam()(std::move(services));
  }
};

}  // namespace contract
