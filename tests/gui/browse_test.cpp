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

constexpr char kTable[] = "/data/TRAN.dbf";
constexpr char kOtherTable[] = "/data/OLD.dbf";

class Browse : public WindowTest {
 protected:
  void Click() { QTest::mouseClick(Find<QPushButton>("CmdBrowse"), Qt::LeftButton); }

  // Two records on 2079/05/12, one on 2079/05/13.
  void StockTwoDays() {
    provider_.SetRows(DayQuery("12/05/2079"),
                      {Record("0001", "12/05/2079"), Record("0002", "12/05/2079")});
    provider_.SetRows(DayQuery("13/05/2079"), {Record("0001", "13/05/2079")});
  }
  std::vector<std::string> ItemTexts() {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < window_->list().ItemCount(); ++i) {
      texts.push_back(window_->list().ItemText(i) + " " + window_->list().SubItemText(i, 0));
    }
    return texts;
  }
};

TEST_F(Browse, FirstPressCancelledLeavesPathEmptyAndLoadsNothing) {
  Click();
  EXPECT_EQ(dialog_.showings(), 1);
  EXPECT_EQ(dialog_.filter(), "DBF File|*.dbf");
  EXPECT_EQ(TextOf("TxtFile"), "");
  EXPECT_TRUE(provider_.connection_strings().empty());
  EXPECT_TRUE(screen_.history().empty());
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_F(Browse, ChosenTableIsLoadedUnderTheHourglass) {
  StockTwoDays();
  Control("TxtTo").Text().SetText("2079/05/13");
  dialog_.Answer(kTable);
  Click();
  EXPECT_EQ(TextOf("TxtFile"), kTable);
  ASSERT_EQ(provider_.connection_strings().size(), 1u);
  EXPECT_EQ(provider_.connection_strings()[0],
            "Provider=vfpoledb;Data Source=/data/TRAN.dbf;Collating Sequence=machine");
  EXPECT_EQ(ItemTexts(),
            (std::vector<std::string>{"0001 2079/05/12", "0002 2079/05/12", "0001 2079/05/13"}));
  EXPECT_EQ(window_->list().ColumnHeaderCount(), 9u);
  EXPECT_EQ(screen_.history(), (std::vector<int>{11, 0}));
  EXPECT_TRUE(message_box_.shown().empty());
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/12");
  EXPECT_EQ(TextOf("TxtTo"), "2079/05/13");
}

TEST_F(Browse, DatesInTheWrongOrderArePassedAsTypedAndKeptInTheBoxes) {
  StockTwoDays();
  Control("TxtFrom").Text().SetText("2079/05/13");
  dialog_.Answer(kTable);
  Click();
  ASSERT_FALSE(provider_.sources().empty());
  EXPECT_NE(provider_.sources()[0].find("ne_date='2079/05/13'"), std::string::npos);
  EXPECT_EQ(ItemTexts().front(), "0001 2079/05/12");
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/13");
  EXPECT_EQ(TextOf("TxtTo"), "2079/05/12");
}

TEST_F(Browse, CancelAfterAChoiceLoadsTheEarlierTableAgain) {
  StockTwoDays();
  dialog_.Answer(kTable);
  Click();
  dialog_.Answer(std::nullopt);
  Click();
  EXPECT_EQ(TextOf("TxtFile"), kTable);
  EXPECT_EQ(provider_.connection_strings().size(), 2u);
  EXPECT_EQ(window_->list().ItemCount(), 2u);
}

TEST_F(Browse, TableThatCannotBeOpenedGivesOneMessageAndKeepsTheList) {
  StockTwoDays();
  dialog_.Answer(kTable);
  Click();
  const std::vector<std::string> before = ItemTexts();
  provider_.FailConnect(platform::RunTimeError(platform::error::kDatabaseError, "not a table."));
  dialog_.Answer(kOtherTable);
  Click();
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{"16 -2147467259: The table cannot be read: not a table."});
  EXPECT_EQ(ItemTexts(), before);
  EXPECT_EQ(window_->list().ColumnHeaderCount(), 9u);
  EXPECT_EQ(TextOf("TxtFile"), kOtherTable);
  EXPECT_EQ(screen_.Pointer(), platform::kPointerDefault);
}

TEST_F(Browse, PointerIsTheDefaultAgainBeforeTheMessage) {
  provider_.FailConnect(platform::RunTimeError(platform::error::kFileNotFound));
  dialog_.Answer(kTable);
  Click();
  EXPECT_EQ(log_.calls(),
            (std::vector<std::string>{"SetFilter DBF File|*.dbf", "ShowOpen", "SetPointer 11",
                                      "SetPointer 0", "MessageBox 16 53: File not found"}));
}

TEST_F(Browse, FailureInTheMiddleOfALoadKeepsTheRowsReadSoFar) {
  StockTwoDays();
  Control("TxtTo").Text().SetText("2079/05/14");
  // Record sets: the structure query, then the days 12, 13 and 14.
  provider_.FailQuery(3, platform::RunTimeError(platform::error::kCommandError, "day 3."));
  dialog_.Answer(kTable);
  Click();
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{"16 -2147217900: The query cannot be run: day 3."});
  EXPECT_EQ(window_->list().ItemCount(), 3u);
  EXPECT_EQ(window_->list().ColumnHeaderCount(), 9u);
  EXPECT_EQ(screen_.Pointer(), platform::kPointerDefault);
}

TEST_F(Browse, FileThatIsNotATableGivesOneMessageFromTheRealProviderShownOverTheWindow) {
  const test_support::TempDir folder;
  const std::string path = (folder.path() / "TRAN.dbf").string();
  std::ofstream(path) << "This is a letter, not a table: it runs on past a header.\n";
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
TEST_F(Browse, ALoadFromABoxWithoutADateSaysWhichBoxAndWhatToType) {
  app::WindowServices services = Services();
  services.provider = nullptr;
  auto window = app::KolvexWindow::Open(services);
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
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{
                "16 9: Subscript out of range: the first date is not a BS date from 1500/01/01 to "
                "5000/12/31. Type a date as yyyy/mm/dd."});
  // The table was read: its nine columns replaced the list's, and no day could be listed.
  EXPECT_EQ(window->list().ColumnHeaderCount(), 9u);
  EXPECT_EQ(window->list().ItemCount(), 0u);
}

TEST_F(Browse, ClickWhileADateBoxHoldsAHalfTypedDateChecksThatBoxFirst) {
  QLineEdit* from = Find<QLineEdit>("TxtFrom");
  from->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), from);
  QTest::keyClicks(from, QStringLiteral("20795/3"));
  ASSERT_EQ(TextOf("TxtFrom"), "2079/5_/3_");
  dialog_.Answer(kTable);
  Click();
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/03");
  ASSERT_FALSE(provider_.sources().empty());
  EXPECT_NE(provider_.sources()[0].find("ne_date='2079/05/03'"), std::string::npos);
}

TEST_F(Browse, ErrorThatNoHandlerTakesIsCaughtBeforeTheEventLoop) {
  message_box_.FailAt("MessageBox", platform::RunTimeError(platform::error::kOutOfMemory));
  provider_.FailConnect(platform::RunTimeError(platform::error::kFileNotFound));
  dialog_.Answer(kTable);
  Click();  // The report fails as well; the guard takes it.
  EXPECT_EQ(screen_.Pointer(), platform::kPointerDefault);
  EXPECT_EQ(exit_statuses_, std::vector<int>{1});
  exit_statuses_.clear();
}

}  // namespace
}  // namespace gui_test
