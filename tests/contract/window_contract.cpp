#include "tests/contract/window_contract.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/main_form.h"
#include "platform/system/path_text.h"
#include "tests/contract/window_cases.h"
#include "tests/support/temp_dir.h"

namespace contract {

WindowFixture::WindowFixture(platform::Date today) : today_(today) {}

WindowFixture::~WindowFixture() = default;

void WindowFixture::SetUp() {
  window_ = OpenWindow(Services());
  ASSERT_TRUE(window_->Opened()) << (message_box_.shown().empty() ? "" : message_box_.shown()[0]);
}

void WindowFixture::TearDown() {
  EXPECT_TRUE(exit_statuses_.empty()) << "an error escaped a handler";
}

app::WindowServices WindowFixture::Services() {
  return {
      &dialog_, &message_box_, &screen_, &clipboard_, &objects_, &provider_, [this](int status) {
        exit_statuses_.push_back(status);
      }};
}

void WindowFixture::Reopen(app::WindowServices services) {
  window_.reset();  // one window at a time, as the program has
  window_ = OpenWindow(std::move(services));
}

void WindowFixture::OpenOnTheRealProvider() {
  app::WindowServices services = Services();
  services.provider = nullptr;
  Reopen(services);
  ASSERT_TRUE(window_->Opened());
}

platform::Control& WindowFixture::Control(const char* name) {
  return window_->Window().Controls(name);
}

std::string WindowFixture::TextOf(const char* name) { return Control(name).Text().Text(); }

platform::ListView& WindowFixture::List() { return window_->List(); }

void WindowFixture::StockTwoDays() {
  provider_.SetDay("2079/05/12", {window_cases::Record("0001", "12/05/2079"),
                                  window_cases::Record("0002", "12/05/2079")});
  provider_.SetDay("2079/05/13", {window_cases::Record("0001", "13/05/2079")});
}

std::vector<std::string> WindowFixture::ItemTexts() {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < List().ItemCount(); ++i) {
    texts.push_back(List().ItemText(i) + " " + List().SubItemText(i, 0));
  }
  return texts;
}

TEST_P(WindowContract, BothBoxesShowTodaysBsDatePathAndListEmptyFocusInList) {
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/12");
  EXPECT_EQ(TextOf("TxtTo"), "2079/05/12");
  EXPECT_EQ(TextOf("TxtFile"), "");
  EXPECT_EQ(List().ColumnHeaderCount(), 0u);
  EXPECT_EQ(List().ItemCount(), 0u);
  EXPECT_EQ(window_->Focused(), "ListView1");
  EXPECT_TRUE(message_box_.shown().empty());

  // AD 2023-04-14 is the first day of BS 2080.
  platform::ScopedToday new_year({2023, 4, 14});
  Reopen(Services());
  EXPECT_EQ(TextOf("TxtFrom"), "2080/01/01");
  EXPECT_EQ(TextOf("TxtTo"), "2080/01/01");
}

TEST_P(WindowContract, DayPastTheCalendarIsReportedAndNoWindowIsShown) {
  window_.reset();
  platform::ScopedToday today({4944, 6, 1});
  fakes::FakeMessageBox message_box;
  app::WindowServices services;
  services.message_box = &message_box;
  EXPECT_FALSE(GetParam()(services)->Opened());
  ASSERT_EQ(message_box.shown().size(), 1u);
  EXPECT_EQ(message_box.shown()[0].rfind("16 9: ", 0), 0u) << message_box.shown()[0];
}

TEST_P(WindowContract, TabKeyWalksFromListToTheSecondDateBoxAndRoundAgain) {
  for (const char* name : window_cases::kTabOrder) {
    window_->PressTab();
    EXPECT_EQ(window_->Focused(), name);
  }
}

TEST_P(WindowContract, FirstLayoutPutsButtonAndListAgainstTheEdges) {
  ASSERT_DOUBLE_EQ(window_->TwipsPerPixel(), 15.0) << "tests assume 96 dpi";
  EXPECT_FLOAT_EQ(window_->Window().ScaleWidth(), 14025);
  EXPECT_FLOAT_EQ(window_->Window().ScaleHeight(), 4560);
  for (const window_cases::ControlPlace& place : window_cases::kFirstLayout) {
    SCOPED_TRACE(place.name);
    platform::Control& control = Control(place.name);
    EXPECT_FLOAT_EQ(control.Left(), place.left);
    EXPECT_FLOAT_EQ(control.Top(), place.top);
    EXPECT_FLOAT_EQ(control.Width(), place.width);
    EXPECT_FLOAT_EQ(control.Height(), place.height);
    const std::array<int, 4> expected = {static_cast<int>(std::lround(place.left / 15)),
                                         static_cast<int>(std::lround(place.top / 15)),
                                         static_cast<int>(std::lround(place.width / 15)),
                                         static_cast<int>(std::lround(place.height / 15))};
    EXPECT_EQ(window_->Pixels(place.name), expected);
  }
}

TEST_P(WindowContract, WideningMovesButtonAndWidensListOnly) {
  const auto [width, height] = window_->Inner();
  window_->SetInner(width + 67, height);  // 1005 twips
  EXPECT_FLOAT_EQ(Control("CmdBrowse").Left(), 12200 + 1005);
  EXPECT_FLOAT_EQ(Control("ListView1").Width(), 13765 + 1005);
  EXPECT_FLOAT_EQ(Control("ListView1").Height(), 3710);
  EXPECT_FLOAT_EQ(Control("TxtFrom").Left(), 7200);
  EXPECT_FLOAT_EQ(Control("TxtTo").Left(), 9240);
  EXPECT_FLOAT_EQ(Control("TxtFile").Width(), 5655);
}

TEST_P(WindowContract, WindowShrinksBelowTheLayoutAndKeepsTheListHeightItCannotGive) {
  const auto [start_width, start_height] = window_->Inner();
  for (const window_cases::SmallInner& c : window_cases::kSmallInners) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    window_->SetInner(start_width, start_height);
    window_->SetInner(c.width, c.height);
    EXPECT_FLOAT_EQ(window_->Window().ScaleWidth(), static_cast<float>(c.width) * 15);
    EXPECT_FLOAT_EQ(window_->Window().ScaleHeight(), static_cast<float>(c.height) * 15);
    EXPECT_FLOAT_EQ(Control("CmdBrowse").Left(), c.button_left);
    EXPECT_FLOAT_EQ(Control("ListView1").Width(), c.list_width);
    EXPECT_FLOAT_EQ(Control("ListView1").Height(), c.list_height);
  }
  EXPECT_TRUE(message_box_.shown().empty());
  window_->SetInner(start_width, start_height);
  EXPECT_FLOAT_EQ(Control("ListView1").Height(), 3710);
}

// Sizes no window system gives a shown window, through an inner area given to the form.
struct InnerCase {
  float width, height;
  float button_left, list_width, list_height;
};

TEST_P(WindowContract, LayoutOfSmallInnerAreasDoesWhatItCanAndSaysNothing) {
  struct InnerArea : platform::Form {
    explicit InnerArea(platform::Form& of) : window(of) {}
    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    platform::Control& Controls(const std::string& name) override { return window.Controls(name); }
    platform::Form& window;
    float width = 14025, height = 4560;
  } inner(window_->Window());
  app::MainForm form(inner, List(),
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

TEST_P(WindowContract, MinimisingSaysNothingAndRestoringLaysOutAgain) {
  window_->Minimise();
  EXPECT_FLOAT_EQ(window_->Window().ScaleWidth(), 0);
  EXPECT_FLOAT_EQ(Control("CmdBrowse").Left(), -1825);
  EXPECT_FLOAT_EQ(Control("ListView1").Width(), 13765);
  EXPECT_FLOAT_EQ(Control("ListView1").Height(), 3710);
  window_->Restore();
  EXPECT_FLOAT_EQ(Control("CmdBrowse").Left(), 12200);
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_P(WindowContract, NegativeSizeIsRefusedAndHugeSizeIsKeptInTwipsAndBoundedOnScreen) {
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
  list.SetWidth(1e30f);
  EXPECT_FLOAT_EQ(list.Width(), 1e30f);
  EXPECT_EQ(window_->Pixels("ListView1")[2], window_->MostPixels());
}

TEST_P(WindowContract, TypedKeysGiveTheTextsTheDateCheckExpects) {
  for (const window_cases::TypingCase& c : window_cases::kTyping) {
    SCOPED_TRACE(c.keys);
    window_->Enter("TxtTo");
    ASSERT_EQ(Control("TxtTo").Text().SelLength(), 10);
    if (*c.keys == '\0') {
      window_->PressDelete();
    } else {
      window_->Type(c.keys);
    }
    EXPECT_EQ(TextOf("TxtTo"), c.typed);
    window_->Enter("CmdBrowse");
    EXPECT_EQ(TextOf("TxtTo"), c.checked);
  }
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_P(WindowContract, GainingTheFocusSelectsTheWholeTextEveryTimeAndLeavingRunsTheCheck) {
  // A text the boxes never hold after a check: the check must run to correct it.
  Control("TxtFrom").Text().SetText("2079/05/32");
  for (const char* name : {"TxtFrom", "TxtTo", "TxtFrom"}) {
    SCOPED_TRACE(name);
    window_->Enter(name);
    EXPECT_EQ(Control(name).Text().SelStart(), 0);
    EXPECT_EQ(Control(name).Text().SelLength(), 10);
    window_->Enter("CmdBrowse");
  }
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/31");
}

TEST_P(WindowContract, ControlsCarryTheirCaptionsTipsAndTheDataMenu) {
  EXPECT_EQ(window_->Title(), "Kolvex");
  EXPECT_EQ(window_->Caption("Label1"), "File Name");
  EXPECT_EQ(window_->Caption("CmdBrowse"), "Browse Database");
  EXPECT_EQ(window_->ToolTip("TxtFrom"), "First BS date of the range, yyyy/mm/dd");
  EXPECT_EQ(window_->ToolTip("TxtTo"), "Last BS date of the range, yyyy/mm/dd");
  EXPECT_FALSE(window_->ToolTip("TxtFile").empty());
  EXPECT_EQ(window_->MenuBar(), std::vector<std::string>{"&Data"}) << "Alt+D opens it";
  EXPECT_EQ(window_->DataMenu(), std::vector<std::string>{"Export to Excel\tCtrl+E"});
}

TEST_P(WindowContract, CtrlEExportsFromAnyControl) {
  for (const char* name : window_cases::kTabOrder) {
    SCOPED_TRACE(name);
    window_->Enter(name);
    clipboard_.SetText("not exported", {});
    window_->PressCtrl('E');
    EXPECT_EQ(clipboard_.text(), "\r\n");
  }
}

TEST_P(WindowContract, ClickOrTabIntoABoxChecksTheBoxLeftThenTypedKeysGiveTheTypedDate) {
  struct Case {
    double where;    // of the box's width; 0 for the Tab key
    bool trembling;  // the pointer moves on the spot while the button is down
  };
  const Case cases[] = {{0.0, false}, {0.02, false}, {0.2, false}, {0.45, false}, {0.6, false},
                        {0.8, false}, {0.98, false}, {0.02, true}, {0.45, true},  {0.98, true}};
  for (const auto& [where, trembling] : cases) {
    SCOPED_TRACE(where == 0 ? std::string("tab")
                            : "click " + std::to_string(where) + (trembling ? " trembling" : ""));
    Control("TxtTo").Text().SetText("2079/05/12");
    window_->Enter("TxtFrom");
    window_->Type("20795/3");
    if (where == 0) {
      window_->PressTab();
    } else {
      const int x = static_cast<int>(window_->Pixels("TxtTo")[2] * where);
      window_->Click("TxtTo", x, trembling ? x : -1);
    }
    ASSERT_EQ(window_->Focused(), "TxtTo");
    EXPECT_EQ(TextOf("TxtFrom"), "2079/05/03") << "the box left is checked first";
    EXPECT_EQ(TextOf("TxtTo"), "2079/05/12");
    EXPECT_EQ(Control("TxtTo").Text().SelStart(), 0);
    EXPECT_EQ(Control("TxtTo").Text().SelLength(), 10);
    window_->Type("20810101");
    EXPECT_EQ(TextOf("TxtTo"), "2081/01/01");
    window_->Enter("CmdBrowse");
    EXPECT_EQ(TextOf("TxtTo"), "2081/01/01");
  }
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_P(WindowContract, SecondClickPlacesTheCaretAndADragSelectsWhatItCovers) {
  platform::TextBox& text = Control("TxtFrom").Text();
  // Far from where the second click comes, which would otherwise make a double click.
  window_->Click("TxtFrom", window_->Pixels("TxtFrom")[2] * 9 / 10);
  ASSERT_EQ(text.SelLength(), 10);
  window_->Click("TxtFrom", window_->Before("TxtFrom", 9));
  EXPECT_EQ(text.SelLength(), 0);
  EXPECT_EQ(text.SelStart(), 9);
  window_->Type("5");
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/15");

  window_->Enter("CmdBrowse");
  window_->Click("TxtFrom", window_->Before("TxtFrom", 0), window_->Before("TxtFrom", 3));
  ASSERT_EQ(window_->Focused(), "TxtFrom");
  EXPECT_EQ(text.SelStart(), 0);
  EXPECT_EQ(text.SelLength(), 3);
  window_->Type("208");
  EXPECT_EQ(TextOf("TxtFrom"), "2089/05/15");
}

TEST_P(WindowContract, SwitchingWindowsRunsNoHandler) {
  if (!window_->HasWindowSystem()) {
    GTEST_SKIP() << "another window becoming the active one needs a window system";
  } else {
    Control("TxtFrom").Text().SetText("2079/05/32");
    window_->Enter("TxtFrom");
    Control("TxtFrom").Text().SetSelStart(3);
    window_->ActivateOtherWindow();
    ASSERT_NE(window_->Focused(), "TxtFrom");
    EXPECT_EQ(TextOf("TxtFrom"), "2079/05/32") << "leaving for another window checks nothing";
    window_->ActivateWindow();
    EXPECT_EQ(window_->Focused(), "TxtFrom") << "the focus comes back where it was";
    EXPECT_EQ(Control("TxtFrom").Text().SelLength(), 0) << "coming back selects nothing";
    EXPECT_EQ(TextOf("TxtFrom"), "2079/05/32");
  }
}

TEST_P(WindowContract, SelectAllFindsTheControlByNameAndSelectsNothingInAnEmptyBox) {
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
  window_->Form().SelectAll(window_->Window(), name_only);
  EXPECT_EQ(Control("TxtTo").Text().SelStart(), 0);
  EXPECT_EQ(Control("TxtTo").Text().SelLength(), 10);
  window_->Form().SelectAll(window_->Window(), Control("TxtFile"));
  EXPECT_EQ(Control("TxtFile").Text().SelStart(), 0);
  EXPECT_EQ(Control("TxtFile").Text().SelLength(), 0);
}

TEST_P(WindowContract, FailingCheckIsSilentAndKeepsTheBox) {
  // A year outside the table needs today's BS year, which a day past the table cannot give.
  platform::ScopedToday late({4944, 6, 1});
  Control("TxtTo").Text().SetText("1234/05/3_");
  window_->Enter("TxtTo");
  window_->Enter("CmdBrowse");
  EXPECT_EQ(TextOf("TxtTo"), "1234/05/3_");
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_P(WindowContract, FileThatIsNotATableGivesOneMessageFromTheRealProvider) {
  const test_support::TempDir temp;
  const std::filesystem::path folder = temp.path() / platform::PathFromUtf8("नेपाल");
  std::filesystem::create_directory(folder);
  std::ofstream(folder / "TRAN.dbf")
      << "This is a letter, not a table: it runs on past a header.\n";
  const std::string path = platform::Utf8Of(folder / "TRAN.dbf");
  OpenOnTheRealProvider();
  List().AddColumnHeader("kept", 1400, platform::ColumnKind::kText);
  dialog_.Answer(path);
  window_->ClickBrowse();
  ASSERT_EQ(message_box_.shown().size(), 1u);
  // What it means for the user first, then the detail.
  const std::string& shown = message_box_.shown()[0];
  EXPECT_EQ(shown.rfind("16 -2147467259: The table cannot be read: '", 0), 0u) << shown;
  EXPECT_NE(shown.find(path + "' is not a FoxPro table, or it is damaged (unknown version byte "
                              "0x54)."),
            std::string::npos)
      << shown;
  EXPECT_EQ(TextOf("TxtFile"), path);
  EXPECT_EQ(List().ColumnHeaderCount(), 1u);
  EXPECT_EQ(List().ColumnHeaderText(0), "kept");
}

// Typed and checked in the box, loaded with the button, read by the real provider from the
// sample table: the message says which box holds no date and what to type.
TEST_P(WindowContract, ALoadFromABoxWithoutADateSaysWhichBoxAndWhatToTypeOnTheStatusLine) {
  OpenOnTheRealProvider();
  window_->Enter("TxtFrom");
  window_->Type("99999999");
  window_->PressTab();  // leaving the box checks its date
  ASSERT_EQ(TextOf("TxtFrom"), "0000/00/00");
  List().AddColumnHeader("old", 1400, platform::ColumnKind::kText);
  dialog_.Answer(std::string(KOLVEX_SOURCE_DIR) + "/samples/TRAN.dbf");
  window_->ClickBrowse();
  EXPECT_EQ(message_box_.shown(), std::vector<std::string>{"16 9: Subscript out of range"});
  const std::string status = window_->StatusLine();
  EXPECT_EQ(status.rfind("The first date is not a BS date from 1500/01/01 to 5000/12/31: type a "
                         "date as yyyy/mm/dd. The list holds the 0 records of ",
                         0),
            0u)
      << status;
  // The table was read: its nine columns replaced the list's, and no day could be listed.
  EXPECT_EQ(List().ColumnHeaderCount(), 9u);
  EXPECT_EQ(List().ItemCount(), 0u);
}

TEST_P(WindowContract, FirstPressCancelledLeavesPathEmptyAndLoadsNothing) {
  window_->ClickBrowse();
  EXPECT_EQ(dialog_.showings(), 1);
  EXPECT_EQ(dialog_.filter(), "DBF File|*.dbf");
  EXPECT_EQ(TextOf("TxtFile"), "");
  EXPECT_TRUE(provider_.connection_strings().empty());
  EXPECT_TRUE(screen_.history().empty());
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_P(WindowContract, ChosenTableIsLoadedUnderTheHourglass) {
  StockTwoDays();
  Control("TxtTo").Text().SetText("2079/05/13");
  dialog_.Answer(kTable);
  window_->ClickBrowse();
  EXPECT_EQ(TextOf("TxtFile"), kTable);
  ASSERT_EQ(provider_.connection_strings().size(), 1u);
  EXPECT_EQ(provider_.connection_strings()[0],
            "Provider=vfpoledb;Data Source=/data/TRAN.dbf;Collating Sequence=machine");
  EXPECT_EQ(ItemTexts(),
            (std::vector<std::string>{"0001 2079/05/12", "0002 2079/05/12", "0001 2079/05/13"}));
  EXPECT_EQ(List().ColumnHeaderCount(), 9u);
  EXPECT_EQ(screen_.history(), (std::vector<int>{11, 0}));
  EXPECT_TRUE(message_box_.shown().empty());
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/12");
  EXPECT_EQ(TextOf("TxtTo"), "2079/05/13");
  EXPECT_EQ(window_->StatusLine(), "/data/TRAN.dbf \u2014 3 records, 2079/05/12 to 2079/05/13");
}

TEST_P(WindowContract, DatesInTheWrongOrderAreLoadedInOrderAndKeptInTheBoxes) {
  StockTwoDays();
  Control("TxtFrom").Text().SetText("2079/05/13");
  dialog_.Answer(kTable);
  window_->ClickBrowse();
  EXPECT_EQ(provider_.days(), (std::vector<std::string>{"2079/05/12", "2079/05/13"}));
  EXPECT_EQ(ItemTexts().front(), "0001 2079/05/12");
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/13");
  EXPECT_EQ(TextOf("TxtTo"), "2079/05/12");
}

TEST_P(WindowContract, CancelAfterAChoiceLoadsTheEarlierTableAgain) {
  StockTwoDays();
  dialog_.Answer(kTable);
  window_->ClickBrowse();
  dialog_.Answer(std::nullopt);
  window_->ClickBrowse();
  EXPECT_EQ(TextOf("TxtFile"), kTable);
  EXPECT_EQ(provider_.connection_strings().size(), 2u);
  EXPECT_EQ(List().ItemCount(), 2u);
}

TEST_P(WindowContract, TableThatCannotBeOpenedGivesOneMessageAndKeepsTheList) {
  StockTwoDays();
  dialog_.Answer(kTable);
  window_->ClickBrowse();
  const std::vector<std::string> before = ItemTexts();
  provider_.FailConnect(platform::RunTimeError(platform::error::kDatabaseError, "not a table."));
  dialog_.Answer(kOtherTable);
  window_->ClickBrowse();
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{"16 -2147467259: The table cannot be read: not a table."});
  EXPECT_EQ(ItemTexts(), before);
  EXPECT_EQ(List().ColumnHeaderCount(), 9u);
  EXPECT_EQ(TextOf("TxtFile"), kOtherTable);
  EXPECT_EQ(window_->StatusLine(), "The list still holds 2 records of /data/TRAN.dbf, 2079/05/12.");
  EXPECT_EQ(screen_.Pointer(), platform::kPointerDefault);
}

TEST_P(WindowContract, PointerIsTheDefaultAgainBeforeTheMessage) {
  provider_.FailConnect(platform::RunTimeError(platform::error::kFileNotFound));
  dialog_.Answer(kTable);
  window_->ClickBrowse();
  EXPECT_EQ(log_.calls(),
            (std::vector<std::string>{"SetFilter DBF File|*.dbf", "ShowOpen", "SetPointer 11",
                                      "SetPointer 0", "MessageBox 16 53: File not found"}));
}

TEST_P(WindowContract, FailureInTheMiddleOfALoadKeepsTheRowsReadSoFar) {
  StockTwoDays();
  Control("TxtTo").Text().SetText("2079/05/14");
  // Record sets: the structure query, then the days 12, 13 and 14.
  provider_.FailQuery(3, platform::RunTimeError(platform::error::kCommandError, "day 3."));
  dialog_.Answer(kTable);
  window_->ClickBrowse();
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{"16 -2147217900: The query cannot be run: day 3."});
  EXPECT_EQ(List().ItemCount(), 3u);
  EXPECT_EQ(List().ColumnHeaderCount(), 9u);
  EXPECT_EQ(screen_.Pointer(), platform::kPointerDefault);
  EXPECT_EQ(window_->StatusLine(),
            "The list holds the 3 records of /data/TRAN.dbf read before the failure, 2079/05/12 "
            "to 2079/05/14 asked.");
}

// One press after another, each with what the dialog answers (none: cancelled), the load's
// failure if any, and what the status line and the message box say afterwards.
struct PressCase {
  std::optional<std::string> answer;
  std::optional<platform::RunTimeError> failure;
  const char* from;  // TxtFrom's text
  std::string status;
  std::string message;  // "" for none
};

TEST_P(WindowContract, StatusLineSaysWhichTableWasReadAndWhatTheListHolds) {
  StockTwoDays();
  std::vector<platform::db::Value> no_member = window_cases::Record("", "14/05/2079");
  no_member[0] = platform::db::Value::Null();
  provider_.SetDay("2079/05/14", {no_member});
  using platform::RunTimeError;
  const std::string kRead = "/data/TRAN.dbf \u2014 ";
  const PressCase cases[] = {
      {std::nullopt, {}, "2079/05/12", "", ""},  // cancelled before any choice: nothing said
      {"/data/TRAN.dbf", {}, "2079/05/12", kRead + "2 records, 2079/05/12", ""},
      {"/data/OLD.dbf",
       {},
       "2079/05/13",
       kRead + "3 records, 2079/05/12 to 2079/05/13. OLD.dbf was picked; the folder's TRAN.dbf "
               "was read.",
       ""},
      {std::nullopt,
       {},
       "2079/05/12",
       kRead + "2 records, 2079/05/12. OLD.dbf was picked; the folder's TRAN.dbf was read.",
       ""},
      {"/data/Bad.dbf", RunTimeError(platform::error::kDatabaseError, "not a table."), "2079/05/12",
       "The list still holds 2 records of /data/TRAN.dbf, 2079/05/12.",
       "16 -2147467259: The table cannot be read: not a table."},
      // The calendar's and the null's own words in the message; what to mend on the status line.
      {"/data/TRAN.dbf",
       {},
       "0000/00/00",
       "The first date is not a BS date from 1500/01/01 to 5000/12/31: type a date as yyyy/mm/dd. "
       "The list holds the 0 records of /data/TRAN.dbf read before the failure, 0000/00/00 to "
       "2079/05/12 asked.",
       "16 9: Subscript out of range"},
      {"/data/TRAN.dbf",
       {},
       "2079/05/14",
       "A record has no member code (its Mem_Code is null). The list holds the 4 records of "
       "/data/TRAN.dbf read before the failure, 2079/05/12 to 2079/05/14 asked.",
       "16 94: Invalid use of Null"},
      {std::nullopt, RunTimeError(platform::error::kFileNotFound), "2079/05/12",
       "The list still holds the 4 records of /data/TRAN.dbf read before an earlier failure, "
       "2079/05/12 to 2079/05/14 asked.",
       "16 53: File not found"},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(c.status);
    const std::size_t shown_before = message_box_.shown().size();
    Control("TxtFrom").Text().SetText(c.from);
    if (c.failure) provider_.FailConnect(*c.failure);
    dialog_.Answer(c.answer);
    window_->ClickBrowse();
    provider_.FailConnect(std::nullopt);
    EXPECT_EQ(window_->StatusLine(), c.status);
    const std::vector<std::string> shown(message_box_.shown().begin() + shown_before,
                                         message_box_.shown().end());
    EXPECT_EQ(shown,
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
  }
}

// Browse Database is the only way to start a load: F5 and Enter in a date box load nothing, and
// Enter leaves the box as typed.
TEST_P(WindowContract, OnlyBrowseDatabaseLoads) {
  StockTwoDays();
  Control("TxtTo").Text().SetText("2079/05/13");
  dialog_.Answer(kTable);
  window_->ClickBrowse();
  ASSERT_EQ(List().ItemCount(), 3u);
  const std::size_t opens = provider_.opens().size();
  for (const char* box : {"TxtFrom", "TxtTo"}) {
    SCOPED_TRACE(box);
    window_->Enter(box);
    window_->Type("20795/13");
    window_->PressEnter();
    EXPECT_EQ(TextOf(box), "2079/5_/13");
    window_->PressF5();
    window_->Enter("ListView1");
    window_->PressF5();
  }
  EXPECT_EQ(provider_.opens().size(), opens);
  EXPECT_EQ(dialog_.showings(), 1);
  EXPECT_EQ(List().ItemCount(), 3u);
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_P(WindowContract, ClickWhileADateBoxHoldsAHalfTypedDateChecksThatBoxFirst) {
  window_->Enter("TxtFrom");
  window_->Type("20795/3");
  ASSERT_EQ(TextOf("TxtFrom"), "2079/5_/3_");
  dialog_.Answer(kTable);
  window_->ClickBrowse();
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/03");
  ASSERT_FALSE(provider_.days().empty());
  EXPECT_EQ(provider_.days().front(), "2079/05/03");
}

TEST_P(WindowContract, ErrorThatNoHandlerTakesIsCaughtBeforeTheEventLoop) {
  message_box_.FailAt("MessageBox", platform::RunTimeError(platform::error::kOutOfMemory));
  provider_.FailConnect(platform::RunTimeError(platform::error::kFileNotFound));
  dialog_.Answer(kTable);
  window_->ClickBrowse();  // The report fails as well; the guard takes it.
  EXPECT_EQ(screen_.Pointer(), platform::kPointerDefault);
  EXPECT_EQ(exit_statuses_, std::vector<int>{1});
  exit_statuses_.clear();
}

TEST_P(WindowContract, ExportPutsTheListOnTheClipboardAndOpensTheSpreadsheet) {
  List().AddColumnHeader("Mem_Code", 1400, platform::ColumnKind::kText);
  List().AddColumnHeader("ne_date", 1400, platform::ColumnKind::kText);
  const std::size_t item = List().AddItem();
  List().SetItemText(item, "0001");
  List().AddSubItem(item, "2079/05/12");
  window_->ChooseExport();
  EXPECT_EQ(clipboard_.text(), "Mem_Code\tne_date\r\n0001\t2079/05/12");
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{"64 Press [CTRL+V] key to paste the data."});
  EXPECT_TRUE(objects_.spreadsheet().visible());
  EXPECT_EQ(List().ItemCount(), 1u);
}

// One message, and the clipboard as the failure leaves it: filled when the spreadsheet program
// fails, left empty when filling it fails after it was cleared.
TEST_P(WindowContract, ExportFailureIsReportedOnce) {
  objects_.FailAt("CreateObject",
                  platform::RunTimeError(platform::error::kCannotCreateObject, "none was found."));
  window_->ChooseExport();
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{
                "16 429: The spreadsheet program cannot be started: none was found."});
  EXPECT_EQ(clipboard_.text(), "\r\n");

  clipboard_.FailAt("SetText", platform::RunTimeError(platform::error::kCannotOpenClipboard));
  window_->ChooseExport();
  ASSERT_EQ(message_box_.shown().size(), 2u);
  EXPECT_EQ(message_box_.shown()[1].rfind("16 521: ", 0), 0u) << message_box_.shown()[1];
  EXPECT_EQ(clipboard_.text(), "");
  EXPECT_FALSE(objects_.spreadsheet().visible());
}

}  // namespace contract
