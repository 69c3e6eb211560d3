// What every window system's Open-file dialog, message box and screen pointer do, as one typed
// test suite. The real dialogs are shown and answered by the driver as soon as they are up:
//
//   struct Driver {
//     std::unique_ptr<platform::FileDialog> MakeFileDialog();
//     std::unique_ptr<platform::MessageBox> MakeMessageBox();
//     std::unique_ptr<platform::MousePointer> MakePointer();
//     // Runs `answer` on the next Open dialog once it is up; the answer closes it.
//     void WhenOpenDialogShows(std::function<void(OpenDialogView&)> answer);
//     void WhenMessageBoxShows(std::function<void(MessageBoxView&)> answer);
//     // The file types as the dialog lists them.
//     static std::vector<std::string> Shown(const std::vector<platform::FileType>& types);
//     bool ShowsHourglass();   // what the screen shows over the program's windows now
//     bool ShowsDefaultPointer();
//   };
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/file_filter.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "platform/system/path_text.h"
#include "tests/contract/masked_box_contract.h"
#include "tests/support/temp_dir.h"

namespace contract {

// The Open dialog while it is up.
class OpenDialogView {
 public:
  virtual ~OpenDialogView() = default;
  virtual std::vector<std::string> Filters() = 0;
  // The folder it shows (UTF-8).
  virtual std::string Folder() = 0;
  // Picks `name` in the folder shown, as the user would with the Open button.
  virtual void Choose(const std::string& name) = 0;
  // Picks the file at `path` (UTF-8), typed into the file name box.
  virtual void ChoosePath(const std::string& path) = 0;
  virtual void Cancel() = 0;
};

// A message box while it is up.
class MessageBoxView {
 public:
  virtual ~MessageBoxView() = default;
  virtual std::string Title() = 0;
  virtual std::string Text() = 0;
  virtual platform::MessageIcon Icon() = 0;
  virtual int Buttons() = 0;
  virtual void PressOk() = 0;
};

template <typename Driver>
class DialogsContract : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"TRAN.DBF", "notes.txt"}) std::ofstream(folder_.path() / name) << "x";
  }
  std::string Folder() const { return platform::Utf8Of(folder_.path()); }

  test_support::TempDir folder_;
  Driver driver_;
};

TYPED_TEST_SUITE_P(DialogsContract);

TYPED_TEST_P(DialogsContract, OpenDialogOffersOneFileTypeKeepsTheChoiceAndACancelLeavesIt) {
  std::unique_ptr<platform::FileDialog> dialog = this->driver_.MakeFileDialog();
  dialog->SetFilter("DBF File|*.dbf");
  const std::string folder = this->Folder();
  const std::string table = platform::Utf8Of(this->folder_.path() / "TRAN.DBF");

  std::vector<std::string> filters;
  this->driver_.WhenOpenDialogShows([&](OpenDialogView& shown) {
    filters = shown.Filters();
    shown.ChoosePath(table);
  });
  dialog->ShowOpen();
  EXPECT_EQ(filters, TypeParam::Shown({{"DBF File", {"*.dbf"}}}));
  EXPECT_EQ(dialog->FileName(), table);

  std::string start;
  this->driver_.WhenOpenDialogShows([&](OpenDialogView& shown) {
    start = shown.Folder();
    shown.Cancel();
  });
  dialog->ShowOpen();
  EXPECT_EQ(start, folder) << "opens where the last choice was";
  EXPECT_EQ(dialog->FileName(), table);

  this->driver_.WhenOpenDialogShows([&](OpenDialogView& shown) { shown.Choose("TRAN.DBF"); });
  dialog->ShowOpen();
  EXPECT_EQ(dialog->FileName(), table);
}

TYPED_TEST_P(DialogsContract, FirstShowingStartsInTheCurrentFolderAndACancelLeavesNoFileName) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(this->folder_.path());
  std::unique_ptr<platform::FileDialog> dialog = this->driver_.MakeFileDialog();
  dialog->SetFilter("DBF File|*.dbf");
  std::string start;
  this->driver_.WhenOpenDialogShows([&](OpenDialogView& shown) {
    start = shown.Folder();
    shown.Cancel();
  });
  dialog->ShowOpen();
  std::filesystem::current_path(before);
  EXPECT_EQ(start, this->Folder());
  EXPECT_EQ(dialog->FileName(), "");
}

TYPED_TEST_P(DialogsContract, MessageBoxShowsPromptIconOkAloneAndTheApplicationTitle) {
  for (const platform::MessageIcon icon :
       {platform::MessageIcon::kCritical, platform::MessageIcon::kInformation}) {
    SCOPED_TRACE(static_cast<int>(icon));
    std::string title, text;
    platform::MessageIcon shown_icon{};
    int buttons = 0;
    this->driver_.WhenMessageBoxShows([&](MessageBoxView& box) {
      title = box.Title();
      text = box.Text();
      shown_icon = box.Icon();
      buttons = box.Buttons();
      box.PressOk();
    });
    this->driver_.MakeMessageBox()->Show("53: File not found: नेपाल.dbf", icon);
    EXPECT_EQ(title, "Kolvex");
    EXPECT_EQ(text, "53: File not found: नेपाल.dbf");
    EXPECT_EQ(shown_icon, icon);
    EXPECT_EQ(buttons, 1);
  }
}

TYPED_TEST_P(DialogsContract, HourglassIsApplicationWideUntilTheDefaultComesBack) {
  {
    std::unique_ptr<platform::MousePointer> screen = this->driver_.MakePointer();
    {
      platform::BusyPointer busy(*screen);
      EXPECT_EQ(screen->Pointer(), 11);
      EXPECT_TRUE(this->driver_.ShowsHourglass());
    }
    EXPECT_EQ(screen->Pointer(), 0);
    EXPECT_TRUE(this->driver_.ShowsDefaultPointer());
    EXPECT_EQ(ErrorNumber([&] { screen->SetPointer(99); }), 380);
    screen->SetPointer(13);
  }
  EXPECT_TRUE(this->driver_.ShowsDefaultPointer()) << "an adapter gone leaves no pointer behind";
}

REGISTER_TYPED_TEST_SUITE_P(DialogsContract,
                            OpenDialogOffersOneFileTypeKeepsTheChoiceAndACancelLeavesIt,
                            FirstShowingStartsInTheCurrentFolderAndACancelLeavesNoFileName,
                            MessageBoxShowsPromptIconOkAloneAndTheApplicationTitle,
                            HourglassIsApplicationWideUntilTheDefaultComesBack);

}  // namespace contract
