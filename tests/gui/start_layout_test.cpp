// The window at start and its layout on resize.
#include <QAction>
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

  QMenu* data = Find<QMenu>("MnuData");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->title(), QStringLiteral("Data"));
  EXPECT_EQ(window_->menuBar()->actions().size(), 1);
  QAction* excel = Find<QAction>("MnuExcel");
  ASSERT_NE(excel, nullptr);
  EXPECT_EQ(excel->text(), QStringLiteral("Export to Excel"));
  EXPECT_EQ(data->actions(), QList<QAction*>{excel});
}

TEST_F(StartUp, BothBoxesShowTodaysBsDatePathAndListEmptyFocusInList) {
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/12");
  EXPECT_EQ(TextOf("TxtTo"), "2079/05/12");
  EXPECT_EQ(TextOf("TxtFile"), "");
  EXPECT_EQ(window_->list().ColumnHeaderCount(), 0u);
  EXPECT_EQ(window_->list().ItemCount(), 0u);
  EXPECT_EQ(QApplication::focusWidget(), Find<QTreeView>("ListView1"));
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_F(StartUp, TabKeyWalksFromListToTheSecondDateBoxAndRoundAgain) {
  const std::vector<const char*> order = {"TxtFile", "CmdBrowse", "TxtFrom", "TxtTo", "ListView1"};
  for (const char* name : order) {
    SCOPED_TRACE(name);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>(name));
  }
}

struct ControlPlace {
  const char* name;
  float left, top, width, height;
};

TEST_F(StartUp, FirstLayoutPutsButtonAndListAgainstTheEdges) {
  ASSERT_DOUBLE_EQ(platform::qt::TwipsPerPixel(*window_), 15.0) << "tests assume 96 dpi";
  EXPECT_FLOAT_EQ(window_->ScaleWidth(), 14025);
  EXPECT_FLOAT_EQ(window_->ScaleHeight(), 4560);
  const ControlPlace places[] = {
      {"ListView1", 120, 720, 13765, 3710}, {"TxtFile", 1320, 240, 5655, 375},
      {"Label1", 120, 240, 1215, 240},      {"CmdBrowse", 12200, 240, 1695, 375},
      {"TxtFrom", 7200, 240, 1935, 375},    {"TxtTo", 9240, 240, 1935, 375},
  };
  for (const ControlPlace& place : places) {
    SCOPED_TRACE(place.name);
    platform::Control& control = Control(place.name);
    EXPECT_FLOAT_EQ(control.Left(), place.left);
    EXPECT_FLOAT_EQ(control.Top(), place.top);
    EXPECT_FLOAT_EQ(control.Width(), place.width);
    EXPECT_FLOAT_EQ(control.Height(), place.height);
    const QRect pixels = Find<QWidget>(place.name)->geometry();
    EXPECT_EQ(pixels, QRect(qRound(place.left / 15), qRound(place.top / 15),
                            qRound(place.width / 15), qRound(place.height / 15)));
  }
}

TEST_F(StartUp, WideningMovesButtonAndWidensListOnly) {
  GrowInner(67, 0);  // 1005 twips
  EXPECT_FLOAT_EQ(Control("CmdBrowse").Left(), 12200 + 1005);
  EXPECT_FLOAT_EQ(Control("ListView1").Width(), 13765 + 1005);
  EXPECT_FLOAT_EQ(Control("ListView1").Height(), 3710);
  EXPECT_FLOAT_EQ(Control("TxtFrom").Left(), 7200);
  EXPECT_FLOAT_EQ(Control("TxtTo").Left(), 9240);
  EXPECT_FLOAT_EQ(Control("TxtFile").Width(), 5655);
}

TEST_F(StartUp, VeryLowWindowTakesTheWidthKeepsTheListHeightAndSaysNothing) {
  const int inner_height = Find<QWidget>("ListView1")->parentWidget()->height();
  GrowInner(-10, -(inner_height - 50));  // inner height 750 twips, below 850
  EXPECT_FLOAT_EQ(window_->ScaleHeight(), 750);
  EXPECT_FLOAT_EQ(Control("ListView1").Width(), 13765 - 150);
  EXPECT_FLOAT_EQ(Control("ListView1").Height(), 3710);
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_F(StartUp, MinimisingSaysNothingAndRestoringLaysOutAgain) {
  window_->setWindowState(Qt::WindowMinimized);
  QApplication::processEvents();
  EXPECT_FLOAT_EQ(window_->ScaleWidth(), 0);
  EXPECT_FLOAT_EQ(Control("CmdBrowse").Left(), -1825);
  EXPECT_FLOAT_EQ(Control("ListView1").Width(), 13765);
  EXPECT_FLOAT_EQ(Control("ListView1").Height(), 3710);

  window_->setWindowState(Qt::WindowNoState);
  QApplication::processEvents();
  EXPECT_FLOAT_EQ(Control("CmdBrowse").Left(), 12200);
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_F(StartUp, NegativeSizeIsRefusedAndLeavesTheControl) {
  platform::Control& list = Control("ListView1");
  for (const bool width : {true, false}) {
    SCOPED_TRACE(width ? "width" : "height");
    try {
      width ? list.SetWidth(-1) : list.SetHeight(-0.5f);
      ADD_FAILURE() << "no error";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), 5);
      EXPECT_STREQ(error.what(), "Invalid procedure call or argument");
    }
  }
  EXPECT_FLOAT_EQ(list.Width(), 13765);
  EXPECT_FLOAT_EQ(list.Height(), 3710);
}

TEST_F(StartUp, HugeSizeIsKeptInTwipsAndBoundedOnScreen) {
  platform::Control& list = Control("ListView1");
  list.SetWidth(1e30f);
  EXPECT_FLOAT_EQ(list.Width(), 1e30f);
  EXPECT_EQ(Find<QWidget>("ListView1")->width(), QWIDGETSIZE_MAX);
}

class NewYearStart : public WindowTest {
 protected:
  NewYearStart() : WindowTest({2023, 4, 14}) {}
};

TEST_F(NewYearStart, BothBoxesShowTheFirstDayOfTheYear) {
  EXPECT_EQ(TextOf("TxtFrom"), "2080/01/01");
  EXPECT_EQ(TextOf("TxtTo"), "2080/01/01");
}

TEST(StartFailure, DayPastTheCalendarIsReportedAndNoWindowIsShown) {
  platform::ScopedToday today({4944, 6, 1});
  fakes::FakeMessageBox message_box;
  app::WindowServices services;
  services.message_box = &message_box;
  EXPECT_EQ(app::KolvexWindow::Open(services), nullptr);
  ASSERT_EQ(message_box.shown().size(), 1u);
  EXPECT_EQ(message_box.shown()[0].rfind("16 9: ", 0), 0u) << message_box.shown()[0];
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    EXPECT_FALSE(widget->isVisible() && widget->objectName() == QStringLiteral("Kolvex"));
  }
}

}  // namespace
}  // namespace gui_test
