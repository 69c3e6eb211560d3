// The masked date boxes: their text under the mask, typing, selection and the focus handlers.
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/input_mask.h"
#include "platform/qt/qt_text_box.h"
#include "tests/gui/window_fixture.h"

namespace gui_test {
namespace {

using platform::qt::InputMask;

int ErrorNumber(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::RunTimeError& error) {
    return error.number();
  }
  return 0;
}

// Selects as the date check does: the start first, then the length.
void Select(platform::TextBox& box, int start, int length) {
  box.SetSelStart(start);
  box.SetSelLength(length);
}

struct ReplaceCase {
  const char* text;
  int start, length;
  const char* insert;
  const char* expected;  // null: refused with 380
};

TEST(InputMaskReplace, PlacesTheTextIntoExactlyTheSelectedPositions) {
  const InputMask mask("####/##/##", '_');
  const ReplaceCase cases[] = {
      {"2079/5_/3_", 5, 2, "05", "2079/05/3_"},
      {"2079/05/3_", 8, 2, "03", "2079/05/03"},
      {"____/__/__", 5, 2, "00", "____/00/__"},
      {"2079/05/12", 0, 10, "2080/01/01", "2080/01/01"},
      {"2079/05/12", 3, 3, "0/1", "2070/15/12"},
      {"2079/05/12", 3, 3, "01", "2070/15/12"},  // the literal is passed over
      {"2079/05/12", 5, 2, "1", "2079/1_/12"},   // the rest of the selection is cleared
      {"2079/05/12", 5, 2, "", "2079/__/12"},
      {"2079/05/12", 5, 0, "", "2079/05/12"},
      {"2079/05/12", 5, 2, "123", nullptr},  // longer than the selection
      {"2079/05/12", 5, 2, "a1", nullptr},
      {"2079/05/12", 4, 1, "1", nullptr},  // a literal cannot be typed over
      {"2079/05/12", 8, 3, "1", nullptr},  // past the end
      {"2079/05", 0, 0, "", nullptr},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " [" + std::to_string(c.start) + "," +
                 std::to_string(c.length) + ") <- " + c.insert);
    if (c.expected == nullptr) {
      EXPECT_EQ(ErrorNumber([&] { mask.Replace(c.text, c.start, c.length, c.insert); }), 380);
    } else {
      EXPECT_EQ(mask.Replace(c.text, c.start, c.length, c.insert), c.expected);
    }
  }
}

TEST(InputMaskText, EmptyFitsAndQtNotation) {
  const InputMask mask("####/##/##", '_');
  EXPECT_EQ(mask.Empty(), "____/__/__");
  EXPECT_EQ(mask.QtInputMask(), "9999/99/99;_");
  for (const char* text : {"____/__/__", "2079/05/12", "0000/00/00", "2___/5_/__"}) {
    EXPECT_TRUE(mask.Fits(text)) << text;
  }
  for (const char* text :
       {"", "2079-05-12", "2079/05/1", "2079/05/123", "2079/O5/12", "    /  /  "}) {
    EXPECT_FALSE(mask.Fits(text)) << text;
  }
}

class MaskedBox : public testing::Test {
 protected:
  QLineEdit edit_;
  platform::qt::QtMaskedBox box_{edit_, InputMask("####/##/##", '_')};
};

TEST_F(MaskedBox, EmptyBoxReadsAllPromptsAndSetTextKeepsThePrompts) {
  EXPECT_EQ(box_.Text(), "____/__/__");
  for (const char* text : {"2079/5_/3_", "____/__/__", "0000/00/00", "2___/05/32"}) {
    box_.SetText(text);
    EXPECT_EQ(box_.Text(), text);
  }
}

TEST_F(MaskedBox, TextThatDoesNotFitIsRefusedAndTheBoxKeepsItsText) {
  box_.SetText("2079/05/12");
  for (const char* text : {"", "2079-05-12", "79/5/12", "2079/05/12 "}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ErrorNumber([&] { box_.SetText(text); }), 380);
    EXPECT_EQ(box_.Text(), "2079/05/12");
  }
}

TEST_F(MaskedBox, SelTextReplacesTheSelectionAsTheDateCheckWritesIt) {
  box_.SetText("2079/5_/3_");
  Select(box_, 5, 2);
  EXPECT_EQ(box_.SelStart(), 5);
  EXPECT_EQ(box_.SelLength(), 2);
  box_.SetSelText("05");
  Select(box_, 8, 2);
  box_.SetSelText("03");
  EXPECT_EQ(box_.Text(), "2079/05/03");
  EXPECT_EQ(box_.SelLength(), 0);
}

TEST_F(MaskedBox, SelectionIsKeptWithinTheTextAndNegativeValuesAreRefused) {
  box_.SetText("2079/05/12");
  box_.SetSelStart(25);
  EXPECT_EQ(box_.SelStart(), 10);
  Select(box_, 8, 25);
  EXPECT_EQ(box_.SelLength(), 2);
  EXPECT_EQ(ErrorNumber([&] { box_.SetSelStart(-1); }), 380);
  EXPECT_EQ(ErrorNumber([&] { box_.SetSelLength(-1); }), 380);
}

TEST(PlainTextBox, SelTextReplacesTheSelectionOnly) {
  QLineEdit edit;
  platform::qt::QtTextBox box(edit);
  box.SetText("C:\\data\\TRAN.dbf");
  Select(box, 3, 4);
  box.SetSelText("milk");
  EXPECT_EQ(box.Text(), "C:\\milk\\TRAN.dbf");
  EXPECT_EQ(box.SelStart(), 7);
}

struct TypingCase {
  const char* keys;
  const char* typed;    // the box's text after the keys
  const char* checked;  // after leaving the box
};

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

TEST_F(DateEntry, TypedKeysGiveTheTextsTheDateCheckExpects) {
  const TypingCase cases[] = {
      {"20795/3", "2079/5_/3_", "2079/05/03"},    {"2079", "2079/__/__", "2079/01/01"},
      {"20790000", "2079/00/00", "2079/01/01"},   {"20791305", "2079/13/05", "2079/12/05"},
      {"20791232", "2079/12/32", "2079/12/30"},   {"2079/5", "2079/5_/__", "2079/05/01"},
      {"2079x05y12", "2079/05/12", "2079/05/12"},  // letters are not taken
      {"14991230", "1499/12/30", "0000/00/00"},   {"", "____/__/__", "0000/00/00"},
  };
  for (const TypingCase& c : cases) {
    SCOPED_TRACE(c.keys);
    Enter("TxtTo");
    ASSERT_EQ(Box("TxtTo")->selectedText().size(), 10);
    if (*c.keys == '\0') {
      QTest::keyClick(Box("TxtTo"), Qt::Key_Delete);
    } else {
      QTest::keyClicks(Box("TxtTo"), QString::fromUtf8(c.keys));
    }
    EXPECT_EQ(TextOf("TxtTo"), c.typed);
    Leave();
    EXPECT_EQ(TextOf("TxtTo"), c.checked);
  }
  EXPECT_TRUE(message_box_.shown().empty());
}

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

TEST_F(DateEntry, SeparatorCannotBeTypedOverAndBackspaceLeavesAPrompt) {
  Enter("TxtFrom");
  QLineEdit* box = Box("TxtFrom");
  box->setCursorPosition(4);
  QTest::keyClicks(box, QStringLiteral("/"));
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/12");
  box->setCursorPosition(10);
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/1_");
}

TEST_F(DateEntry, GainingTheFocusSelectsTheWholeTextEveryTime) {
  for (const char* name : {"TxtFrom", "TxtTo", "TxtFrom"}) {
    SCOPED_TRACE(name);
    Enter(name);
    EXPECT_EQ(Control(name).Text().SelStart(), 0);
    EXPECT_EQ(Control(name).Text().SelLength(), 10);
    Leave();
  }
}

TEST_F(DateEntry, LeavingUnchangedStillRunsTheCheck) {
  // A text the boxes never hold after a check: the check must run to correct it.
  Control("TxtFrom").Text().SetText("2079/05/32");
  Enter("TxtFrom");
  Leave();
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/31");
}

TEST_F(DateEntry, SwitchingWindowsRunsNoHandler) {
  Control("TxtFrom").Text().SetText("2079/05/32");
  Enter("TxtFrom");
  QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(Box("TxtFrom"), &out);
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/32");
}

TEST_F(DateEntry, SelectAllFindsTheControlByName) {
  // A stand-in that only carries the name: the selection goes to the window's own box.
  class NameOnly : public platform::Control {
   public:
    std::string Name() const override { return "TxtTo"; }
    float Left() const override { return 0; }
    float Top() const override { return 0; }
    float Width() const override { return 0; }
    float Height() const override { return 0; }
    void SetLeft(float) override {}
    void SetTop(float) override {}
    void SetWidth(float) override {}
    void SetHeight(float) override {}
    platform::TextBox& Text() override { throw std::logic_error("read through the name only"); }
  } name_only;
  window_->form().SelectAll(*window_, name_only);
  EXPECT_EQ(Control("TxtTo").Text().SelStart(), 0);
  EXPECT_EQ(Control("TxtTo").Text().SelLength(), 10);
}

TEST_F(DateEntry, SelectAllOnAnEmptyBoxSelectsNothing) {
  window_->form().SelectAll(*window_, Control("TxtFile"));
  EXPECT_EQ(Control("TxtFile").Text().SelStart(), 0);
  EXPECT_EQ(Control("TxtFile").Text().SelLength(), 0);
}

class DateEntryPastTheCalendar : public WindowTest {};

TEST_F(DateEntryPastTheCalendar, FailingCheckIsSilentAndKeepsTheBox) {
  // A year outside the table needs today's BS year, which a day past the table cannot give.
  platform::ScopedToday late({4944, 6, 1});
  Control("TxtTo").Text().SetText("1234/05/3_");
  Find<QLineEdit>("TxtTo")->setFocus(Qt::TabFocusReason);
  Find<QPushButton>("CmdBrowse")->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(TextOf("TxtTo"), "1234/05/3_");
  EXPECT_TRUE(message_box_.shown().empty());
}

}  // namespace
}  // namespace gui_test
