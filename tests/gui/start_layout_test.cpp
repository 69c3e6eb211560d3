// What only the Qt window shows at start: its widgets, the Data menu's key, the icon. What every
// window shows is in the window contract (tests/contract/window_contract.h).
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>

#include "tests/gui/window_fixture.h"

namespace gui_test {
namespace {

using StartUp = WindowTest;

TEST_F(StartUp, ControlsAreQtWidgetsAndAltDOpensTheDataMenu) {
  EXPECT_NE(Find<QTreeView>("ListView1"), nullptr);
  for (const char* name : {"TxtFile", "TxtFrom", "TxtTo"}) {
    EXPECT_NE(Find<QLineEdit>(name), nullptr) << name;
  }
  EXPECT_NE(Find<QLabel>("Label1"), nullptr);
  EXPECT_NE(Find<QPushButton>("CmdBrowse"), nullptr);
  QMenu* data = Find<QMenu>("MnuData");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->menuAction()->iconText(), QStringLiteral("Data")) << "the caption as shown";
  EXPECT_EQ(QKeySequence::mnemonic(data->title()), QKeySequence(Qt::ALT | Qt::Key_D));

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
  EXPECT_EQ(QApplication::activePopupWidget(), data);
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
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
