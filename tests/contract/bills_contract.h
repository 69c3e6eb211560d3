// What the window Kolvex Bills does on every window system, as one suite over a driver of each
// system's window (tests/contract/bills_driver.h), with fakes for the dialogs, the message box,
// the clipboard and the PDF viewer, today's date fixed, and the sample table copied into a folder
// of the test's own as the folder the program starts in. The suite is compiled once
// (bills_contract.cpp); each system instantiates it with the function that opens its window:
//
//   INSTANTIATE_TEST_SUITE_P(Qt, BillsContract, testing::Values(&OpenQtBills));
//
// A system's own tests of the window use BillsFixture, with the same fakes, over the same driver.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/date_services.h"
#include "tests/contract/bills_driver.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_mouse_pointer.h"
#include "tests/fakes/fake_save_dialog.h"
#include "tests/support/temp_dir.h"

namespace contract {

class BillsFixture : public testing::Test {
 protected:
  // AD 2024-05-03 is BS 2081/01/21: the first half of Baisakh 2081 has ended.
  BillsFixture();
  ~BillsFixture() override;

  // Opens the system's window with `services`.
  virtual std::unique_ptr<BillsDriver> OpenWindow(bills::BillsWindowServices services) = 0;

  void SetUp() override;
  void TearDown() override;

  // Opens the window again, started in `start_folder` (the test's folder when not given).
  void Open(std::optional<std::string> start_folder = std::nullopt);
  // The file `name` in the test's folder.
  std::string Path(const std::string& name);
  std::string TextOf(const char* name);
  // Every message shown, each on a line of its own.
  std::string Messages();
  // The bills' column `header`, each row's text.
  std::vector<std::string> Column(const std::string& header);
  // Whether the rows above the last add up to the last, in exact decimal.
  static bool AddsUp(const std::vector<std::string>& cells);

  platform::ScopedToday today_;
  test_support::TempDir folder_;
  fakes::FakeFileDialog open_dialog_;
  fakes::FakeSaveDialog save_dialog_;
  fakes::FakeMessageBox message_box_;
  fakes::FakeMousePointer pointer_;
  fakes::FakeClipboard clipboard_;
  std::vector<std::string> opened_;
  std::vector<int> exit_statuses_;
  std::unique_ptr<BillsDriver> window_;
};

// The contract, over the window the parameter opens.
class BillsContract : public BillsFixture, public testing::WithParamInterface<BillsOpener> {
 protected:
  std::unique_ptr<BillsDriver> OpenWindow(bills::BillsWindowServices services) override {
    return GetParam()(std::move(services));
  }
};

}  // namespace contract
