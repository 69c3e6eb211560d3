// Choosing a table with "Browse Database" and loading the dates in the boxes from it.
#include <QFileInfo>
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
  std::ofstream(path) << "This is a letter, not a table.\n";
  app::WindowServices services = Services();
  services.provider = nullptr;
  services.message_box = nullptr;
  auto window = app::KolvexWindow::Open(services);
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
  EXPECT_TRUE(text.contains(QStringLiteral(": "))) << text.toStdString();
  EXPECT_GT(QFileInfo(picture).size(), 0);
  EXPECT_EQ(window->list().ColumnHeaderCount(), 1u);
  EXPECT_EQ(window->list().ColumnHeaderText(0), "kept");
}

}  // namespace
}  // namespace gui_test
