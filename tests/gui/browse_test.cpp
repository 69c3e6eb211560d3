// Choosing a table with "Browse Database" and loading the dates in the boxes from it.
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <fstream>

#include "tests/gui/when_shown.h"
#include "tests/gui/window_fixture.h"
#include "tests/support/temp_dir.h"

namespace gui_test {
namespace {

using Browse = WindowTest;

TEST_F(Browse, FileThatIsNotATableGivesOneMessageFromTheRealProviderShownOverTheWindow) {
  const test_support::TempDir folder;
  const std::string path = (folder.path() / "TRAN.dbf").string();
  std::ofstream(path) << "This is a letter, not a table: it runs on past a header.\n";
  app::WindowServices services = Services();
  services.provider = nullptr;
  services.message_box = nullptr;
  auto window = app::QtMainWindow::Open(services);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->list().AddColumnHeader("kept", 1400, platform::ColumnKind::kText);
  dialog_.Answer(path);

  // A picture of the box over the window, as the user sees it, saved in the build folder.
  const QString picture = QString::fromUtf8(KOLVEX_BINARY_DIR "/kolvex-message.png");
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int shown = 0;
  WhenDialogShows<QMessageBox>([&](QMessageBox& box) {
    ++shown;
    text = box.text();
    icon = box.icon();
    QPixmap screen = window->grab();
    QPainter(&screen).drawPixmap(box.geometry().topLeft() - window->geometry().topLeft(),
                                 box.grab());
    EXPECT_TRUE(screen.save(picture)) << picture.toStdString();
    box.button(QMessageBox::Ok)->click();
  });
  QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("CmdBrowse")), Qt::LeftButton);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(icon, QMessageBox::Critical);
  // What it means for the user first, then the detail.
  EXPECT_EQ(text.toStdString(), "-2147467259: The table cannot be read: '" + path +
                                    "' is not a FoxPro table, or it is damaged (unknown version "
                                    "byte 0x54).");
  EXPECT_GT(QFileInfo(picture).size(), 0);
  EXPECT_EQ(window->list().ColumnHeaderCount(), 1u);
  EXPECT_EQ(window->list().ColumnHeaderText(0), "kept");
}

// Typed and checked in the box, loaded with the button, read by the real provider from the
// sample table: the message says which box holds no date and what to type.
TEST_F(Browse, ALoadFromABoxWithoutADateSaysWhichBoxAndWhatToTypeOnTheStatusLine) {
  app::WindowServices services = Services();
  services.provider = nullptr;
  auto window = app::QtMainWindow::Open(services);
  ASSERT_NE(window, nullptr);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  auto* from = window->findChild<QLineEdit*>(QStringLiteral("TxtFrom"));
  from->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(from, QStringLiteral("99999999"));
  QTest::keyClick(from, Qt::Key_Tab);  // leaving the box checks its date
  ASSERT_EQ(window->Controls("TxtFrom").Text().Text(), "0000/00/00");
  window->list().AddColumnHeader("old", 1400, platform::ColumnKind::kText);

  dialog_.Answer(std::string(KOLVEX_SOURCE_DIR) + "/samples/TRAN.dbf");
  QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("CmdBrowse")), Qt::LeftButton);
  EXPECT_EQ(message_box_.shown(), std::vector<std::string>{"16 9: Subscript out of range"});
  const std::string status =
      window->findChild<QLabel*>(QStringLiteral("StatusLine"))->text().toStdString();
  EXPECT_EQ(status.rfind("The first date is not a BS date from 1500/01/01 to 5000/12/31: type a "
                         "date as yyyy/mm/dd. The list holds the 0 records of ",
                         0),
            0u)
      << status;
  // The table was read: its nine columns replaced the list's, and no day could be listed.
  EXPECT_EQ(window->list().ColumnHeaderCount(), 9u);
  EXPECT_EQ(window->list().ItemCount(), 0u);
}

}  // namespace
}  // namespace gui_test
