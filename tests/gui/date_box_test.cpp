// What only the Qt window's date boxes do: a right click gives the focus as a left one does. What
// every window's date boxes do is in the window contract (tests/contract/window_contract.h), what
// the box itself does in the masked box contract.
#include <QLineEdit>

#include "tests/gui/window_fixture.h"

namespace gui_test {
namespace {

using DateEntry = WindowTest;

TEST_F(DateEntry, RightClickThatGivesTheFocusSelectsAsALeftOneAndALeftClickThenPlacesTheCaret) {
  QLineEdit* box = Find<QLineEdit>("TxtFrom");
  QTest::mouseClick(box, Qt::RightButton, {}, {box->width() / 2, box->height() / 2});
  EXPECT_EQ(box->selectedText().size(), 10);
  window_->Click("TxtFrom", window_->Before("TxtFrom", 2));
  EXPECT_FALSE(box->hasSelectedText());
  EXPECT_EQ(box->cursorPosition(), 2);
}

}  // namespace
}  // namespace gui_test
