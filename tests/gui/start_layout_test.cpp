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
  EXPECT_EQ(data->actions(), QList<QAction*>{excel});
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

TEST_F(StartUp, WindowKeepsTheSizeBelowWhichTheButtonWouldCoverTheDateBoxes) {
  window_->resize(1, 1);
  QApplication::processEvents();
  EXPECT_FLOAT_EQ(window_->ScaleWidth(), 13110);  // 13105 twips, in whole pixels
  EXPECT_FLOAT_EQ(window_->ScaleHeight(), 1230);  // 1225
  EXPECT_FLOAT_EQ(Control("CmdBrowse").Left(), 13110 - 1825);
  EXPECT_FLOAT_EQ(Control("ListView1").Width(), 13110 - 260);
  EXPECT_FLOAT_EQ(Control("ListView1").Height(), 1230 - 850);
  const QRect button = Find<QWidget>("CmdBrowse")->geometry();
  for (const char* name : {"TxtFile", "TxtFrom", "TxtTo", "ListView1"}) {
    EXPECT_FALSE(button.intersects(Find<QWidget>(name)->geometry())) << name;
  }
}

// The window no longer gets this small; the form's layout still meets such sizes, through an
// inner area given to it.
struct InnerCase {
  float width, height;
  float button_left, list_width, list_height;
};

TEST_F(StartUp, LayoutOfSmallInnerAreasDoesWhatItCanAndSaysNothing) {
  struct InnerArea : platform::Form {
    explicit InnerArea(platform::Form& of) : window(of) {}
    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    platform::Control& Controls(const std::string& name) override { return window.Controls(name); }
    platform::Form& window;
    float width = 14025, height = 4560;
  } inner(*window_);
  app::MainForm form(inner, window_->list(),
                     {dialog_, message_box_, screen_, clipboard_, objects_, provider_});
  const InnerCase cases[] = {
      {15025, 4560, 13200, 14765, 3710}, {13105, 1225, 11280, 12845, 375},
      {14025, 850, 12200, 13765, 0},     {14025, 849, 12200, 13765, 3710},  // too low: height kept
      {259, 4560, -1566, 13765, 3710},  // too narrow: the button moves, the list stays
      {0, 0, -1825, 13765, 3710},       // minimised
  };
  for (const InnerCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    inner.width = 14025;
    inner.height = 4560;
    form.Form_Resize();
    inner.width = c.width;
    inner.height = c.height;
    form.Form_Resize();
    EXPECT_FLOAT_EQ(Control("CmdBrowse").Left(), c.button_left);
    EXPECT_FLOAT_EQ(Control("ListView1").Width(), c.list_width);
    EXPECT_FLOAT_EQ(Control("ListView1").Height(), c.list_height);
  }
  EXPECT_TRUE(message_box_.shown().empty());
  EXPECT_TRUE(exit_statuses_.empty());
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
