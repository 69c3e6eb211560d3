// The date boxes in the window: typing into them and the focus handlers. What the box itself does
// is in the masked box contract (tests/contract/masked_box_contract.h).
#include <QLineEdit>
#include <QPushButton>

#include "tests/gui/window_fixture.h"

namespace gui_test {
namespace {

class DateEntry : public WindowTest {
 protected:
  QLineEdit* Box(const char* name) { return Find<QLineEdit>(name); }
  void Enter(const char* name) {
    Box(name)->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
  }
  void Leave() {
    Find<QPushButton>("CmdBrowse")->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
  }
  // A point halfway down `box`, `fraction` of its width from the left.
  static QPoint At(const QLineEdit* box, double fraction) {
    return {static_cast<int>(box->width() * fraction), box->height() / 2};
  }
  // The leftmost point of `box` where a click puts the caret before character `position`.
  static QPoint Before(QLineEdit* box, int position) {
    for (int x = 0; x < box->width(); ++x) {
      if (box->cursorPositionAt({x, box->height() / 2}) == position) return {x, box->height() / 2};
    }
    ADD_FAILURE() << "no point before character " << position;
    return {};
  }
};

// How the focus comes into TxtTo from TxtFrom: by the Tab key, or by a click at a fraction of
// the box's width.
struct EntryCase {
  const char* how;
  double where;
};

TEST_F(DateEntry, ClickOrTabIntoABoxChecksTheBoxLeftThenTypedKeysGiveTheTypedDate) {
  const EntryCase cases[] = {{"tab", 0},     {"click", 0.02}, {"click", 0.2}, {"click", 0.45},
                             {"click", 0.6}, {"click", 0.8},  {"click", 0.98}};
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(std::string(c.how) + " " + std::to_string(c.where));
    Control("TxtTo").Text().SetText("2079/05/12");
    Enter("TxtFrom");
    QTest::keyClicks(Box("TxtFrom"), QStringLiteral("20795/3"));
    QLineEdit* box = Box("TxtTo");
    if (c.where == 0) {
      QTest::keyClick(Box("TxtFrom"), Qt::Key_Tab);
    } else {
      QTest::mouseClick(box, Qt::LeftButton, {}, At(box, c.where));
    }
    ASSERT_EQ(QApplication::focusWidget(), box);
    EXPECT_EQ(TextOf("TxtFrom"), "2079/05/03") << "the box left is checked first";
    EXPECT_EQ(box->selectedText(), QStringLiteral("2079/05/12"));
    QTest::keyClicks(box, QStringLiteral("20810101"));
    EXPECT_EQ(TextOf("TxtTo"), "2081/01/01");
    Leave();
    EXPECT_EQ(TextOf("TxtTo"), "2081/01/01");
  }
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_F(DateEntry, SecondClickPlacesTheCaretAndADragSelectsWhatItCovers) {
  QLineEdit* box = Box("TxtFrom");
  QTest::mouseClick(box, Qt::LeftButton, {}, At(box, 0.5));
  ASSERT_EQ(box->selectedText().size(), 10);
  QTest::mouseClick(box, Qt::LeftButton, {}, Before(box, 9));
  EXPECT_FALSE(box->hasSelectedText());
  EXPECT_EQ(box->cursorPosition(), 9);
  QTest::keyClicks(box, QStringLiteral("5"));
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/15");

  Leave();
  QTest::mousePress(box, Qt::LeftButton, {}, Before(box, 0));
  QTest::mouseMove(box, Before(box, 2));
  QTest::mouseMove(box, Before(box, 3));
  QTest::mouseRelease(box, Qt::LeftButton, {}, Before(box, 3));
  ASSERT_EQ(QApplication::focusWidget(), box);
  EXPECT_EQ(box->selectedText(), QStringLiteral("207"));
  QTest::keyClicks(box, QStringLiteral("208"));
  EXPECT_EQ(TextOf("TxtFrom"), "2089/05/15");

  // A right click that gives the focus selects as a left one; the next left click still places
  // the caret.
  Leave();
  QTest::mouseClick(box, Qt::RightButton, {}, At(box, 0.5));
  EXPECT_EQ(box->selectedText().size(), 10);
  QTest::mouseClick(box, Qt::LeftButton, {}, Before(box, 2));
  EXPECT_FALSE(box->hasSelectedText());
  EXPECT_EQ(box->cursorPosition(), 2);
}

TEST_F(DateEntry, SwitchingWindowsRunsNoHandler) {
  Control("TxtFrom").Text().SetText("2079/05/32");
  Enter("TxtFrom");
  QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(Box("TxtFrom"), &out);
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/32");
}

}  // namespace
}  // namespace gui_test
