// The Open-file dialog, the message box and the screen pointer on Qt. The dialogs are answered
// by a timer while they wait for the user.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/qt/qt_dialogs.h"
#include "platform/run_time_error.h"
#include "tests/gui/when_shown.h"

namespace gui_test {
namespace {

TEST(DialogFilter, PairsBecomeFileTypes) {
  using platform::qt::FileType;
  EXPECT_EQ(platform::qt::ParseFilter("DBF File|*.dbf"),
            (std::vector<FileType>{{"DBF File", {"*.dbf"}}}));
  EXPECT_EQ(platform::qt::QtNameFilters(platform::qt::ParseFilter("DBF File|*.dbf")),
            "DBF File (*.dbf)");
  EXPECT_EQ(platform::qt::QtNameFilters(
                platform::qt::ParseFilter("Tables|*.dbf;*.DBF|All files|*.*|Lonely")),
            "Tables (*.dbf *.DBF);;All files (*.*);;Lonely (*)");
  EXPECT_TRUE(platform::qt::ParseFilter("").empty());
}

TEST(ScreenPointer, HourglassIsApplicationWideUntilTheDefaultComesBack) {
  {
    platform::qt::QtMousePointer screen;
    {
      platform::BusyPointer busy(screen);
      EXPECT_EQ(screen.Pointer(), 11);
      ASSERT_NE(QApplication::overrideCursor(), nullptr);
      EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(screen.Pointer(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    try {
      screen.SetPointer(99);
      ADD_FAILURE() << "no error";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), 380);
    }
    screen.SetPointer(13);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "an adapter gone leaves no pointer behind";
}

class QtOpenDialog : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(KOLVEX_BINARY_DIR) / "gui_file_dialog";
    std::filesystem::create_directories(folder_);
    for (const char* name : {"TRAN.DBF", "notes.txt"}) std::ofstream(folder_ / name) << "x";
  }
  std::filesystem::path folder_;
};

TEST_F(QtOpenDialog, OffersOneFileTypeKeepsTheChoiceAndACancelLeavesIt) {
  platform::qt::QtFileDialog dialog(nullptr);
  dialog.SetFilter("DBF File|*.dbf");
  const std::string table = (folder_ / "TRAN.DBF").string();

  QStringList filters;
  WhenDialogShows<QFileDialog>([&](QFileDialog& shown) {
    filters = shown.nameFilters();
    shown.setDirectory(QString::fromStdString(folder_.string()));
    shown.selectFile(QStringLiteral("TRAN.DBF"));
    static_cast<QDialog&>(shown).accept();  // as the Open button does
  });
  dialog.ShowOpen();
  EXPECT_EQ(filters, QStringList{QStringLiteral("DBF File (*.dbf)")});
  EXPECT_EQ(dialog.FileName(), table);

  QString start;
  WhenDialogShows<QFileDialog>([&](QFileDialog& shown) {
    start = shown.directory().absolutePath();
    shown.reject();
  });
  dialog.ShowOpen();
  EXPECT_EQ(start.toStdString(), folder_.string()) << "opens where the last choice was";
  EXPECT_EQ(dialog.FileName(), table);
}

TEST(QtOpenDialogCancel, FirstShowingCancelledLeavesNoFileName) {
  platform::qt::QtFileDialog dialog(nullptr);
  dialog.SetFilter("DBF File|*.dbf");
  WhenDialogShows<QFileDialog>([](QFileDialog& shown) { shown.reject(); });
  dialog.ShowOpen();
  EXPECT_EQ(dialog.FileName(), "");
}

struct MessageCase {
  platform::MessageIcon icon;
  QMessageBox::Icon shown;
};

TEST(QtMessage, PromptIconOkAloneAndTheApplicationTitle) {
  for (const MessageCase c :
       {MessageCase{platform::MessageIcon::kCritical, QMessageBox::Critical},
        MessageCase{platform::MessageIcon::kInformation, QMessageBox::Information}}) {
    SCOPED_TRACE(static_cast<int>(c.icon));
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton*> buttons;
    WhenDialogShows<QMessageBox>([&](QMessageBox& box) {
      title = box.windowTitle();
      text = box.text();
      icon = box.icon();
      buttons = box.buttons();
      box.button(QMessageBox::Ok)->click();
    });
    platform::qt::QtMessageBox(nullptr).Show("53: File not found", c.icon);
    EXPECT_EQ(title, QStringLiteral("Kolvex"));
    EXPECT_EQ(text, QStringLiteral("53: File not found"));
    EXPECT_EQ(icon, c.shown);
    EXPECT_EQ(buttons.size(), 1);
  }
}

}  // namespace
}  // namespace gui_test
