// What only the Qt window does when a table is chosen: the real message box over the window.
// What every window does is in the window contract (tests/contract/window_contract.h).
#include <QFileInfo>
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
}

}  // namespace
}  // namespace gui_test
