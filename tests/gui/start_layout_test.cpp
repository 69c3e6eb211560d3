// The window at start and its layout on resize.
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>

#include "platform/qt/twips.h"
#include "tests/gui/window_fixture.h"

namespace gui_test {
namespace {

using StartUp = WindowTest;

TEST_F(StartUp, ControlsCarryTheirNamesAndCaptions) {
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Kolvex"));
  EXPECT_NE(Find<QTreeView>("ListView1"), nullptr);
  EXPECT_NE(Find<QLineEdit>("TxtFile"), nullptr);
  EXPECT_NE(Find<QLineEdit>("TxtFrom"), nullptr);
  EXPECT_NE(Find<QLineEdit>("TxtTo"), nullptr);
  ASSERT_NE(Find<QLabel>("Label1"), nullptr);
  EXPECT_EQ(Find<QLabel>("Label1")->text(), QStringLiteral("File Name"));
  ASSERT_NE(Find<QPushButton>("CmdBrowse"), nullptr);
  EXPECT_EQ(Find<QPushButton>("CmdBrowse")->text(), QStringLiteral("Browse Database"));

  EXPECT_EQ(Find<QLineEdit>("TxtFrom")->toolTip(),
            QStringLiteral("First BS date of the range, yyyy/mm/dd"));
  EXPECT_EQ(Find<QLineEdit>("TxtTo")->toolTip(),
            QStringLiteral("Last BS date of the range, yyyy/mm/dd"));
  EXPECT_FALSE(Find<QLineEdit>("TxtFile")->toolTip().isEmpty());

  QMenu* data = Find<QMenu>("MnuData");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->menuAction()->iconText(), QStringLiteral("Data")) << "the caption as shown";
  EXPECT_EQ(QKeySequence::mnemonic(data->title()), QKeySequence(Qt::ALT | Qt::Key_D));
  EXPECT_EQ(window_->menuBar()->actions().size(), 1);
  QAction* excel = Find<QAction>("MnuExcel");
  ASSERT_NE(excel, nullptr);
  EXPECT_EQ(excel->text(), QStringLiteral("Export to Excel"));
  EXPECT_EQ(excel->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
  EXPECT_EQ(data->actions().value(0), excel) << "Export to Excel comes first";
  QAction* reload = Find<QAction>("MnuReload");
  ASSERT_NE(reload, nullptr);
  EXPECT_EQ(reload->text(), QStringLiteral("Reload"));
  EXPECT_EQ(reload->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(data->actions().value(data->actions().size() - 1), reload) << "Reload comes last";
}

TEST_F(StartUp, AltDOpensTheDataMenuAndCtrlEExportsFromAnyControl) {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
  EXPECT_EQ(QApplication::activePopupWidget(), Find<QMenu>("MnuData"));
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

  for (const char* name : {"ListView1", "TxtFile", "CmdBrowse", "TxtFrom", "TxtTo"}) {
    SCOPED_TRACE(name);
    Find<QWidget>(name)->setFocus(Qt::TabFocusReason);
    clipboard_.SetText("not exported", {});
    QTest::keyClick(Find<QWidget>(name), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(clipboard_.text(), "\r\n");
  }
}

TEST(Icon, WindowsIconFileShowsWhatTheWindowDraws) {
  // Written by tools/make-icon; the Windows program's resources take it.
  const QImage file(QString::fromUtf8(KOLVEX_SOURCE_DIR "/app/kolvex.ico"));
  ASSERT_FALSE(file.isNull()) << "app/kolvex.ico cannot be read";
  const QImage drawn = app::QtMainWindow::IconImage();
  EXPECT_EQ(drawn.size(), QSize(32, 32));
  EXPECT_LE(drawn.colorCount(), 256);
  ASSERT_EQ(file.size(), drawn.size());
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const QRgb shown = file.pixel(x, y);
      const QRgb meant = drawn.pixel(x, y);
      const bool opaque = qAlpha(meant) >= 128;
      ASSERT_EQ(qAlpha(shown) >= 128, opaque) << x << "," << y;
      if (opaque) {
        ASSERT_EQ(shown & 0xFFFFFF, meant & 0xFFFFFF) << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace gui_test
