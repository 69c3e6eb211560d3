// What the window does on every window system, as one typed test suite over a driver of each
// system's real window, shown, with fakes for everything outside it and today's date fixed:
// the start, the layout on resize, the date boxes typed and clicked into, Browse Database and the
// export. Each system
// instantiates it with a driver:
//
//   struct Driver {
//     explicit Driver(app::WindowServices services);  // opens the window as the program does
//     bool Opened();                    // false when the start failed
//     platform::Form& Window();         // the window's inner area and controls
//     app::MainForm& Form();
//     platform::ListView& List();
//     std::string Focused();            // the name of the control with the focus
//     void Enter(const char* name);     // moves the focus to the control as Tab does
//     void PressTab();
//     void Click(const char* name, int x, int to_x = -1);  // a left click x pixels from the
//                                       // control's left edge (as Pixels places it), halfway
//                                       // down; with to_x, a drag there
//     int Before(const char* name, int position);  // the x at which a click puts the caret
//                                       // before character `position` of a text box
//     void ActivateOtherWindow();       // another window of the desktop becomes the active one
//     void ActivateWindow();            // and then the window again (both only with a real
//                                       // window system, see kWithoutWindowSystem)
//     void PressDelete();
//     void Type(std::string_view keys);
//     void ClickBrowse();               // a click of the mouse on the button
//     void ChooseExport();              // Data > Export to Excel
//     std::vector<std::string> DataMenu();  // the Data menu's items: text, tab, key ("Ctrl+E")
//     void ChooseDataItem(const std::string& shown);  // the item DataMenu shows so, by the keys
//     void PressCtrl(char letter);      // a capital letter with Ctrl, on the focused control
//     void PressF5();
//     void PressEnter();                // on the focused control
//     std::string StatusLine();         // the text the status line shows
//     std::string Title();
//     std::string Caption(const char* name);  // a label's or a button's text
//     std::string ToolTip(const char* name);  // what hovering over the control says
//     std::vector<std::string> MenuBar();     // the menus' titles, "&" before the key's letter
//     std::pair<int, int> Inner();      // the inner area's size in pixels
//     void SetInner(int width, int height);  // asks the window system for that inner size
//     void Minimise();
//     void Restore();
//     double TwipsPerPixel();
//     std::array<int, 4> Pixels(const char* name);  // left, top, width, height in the inner area
//     static constexpr int kMostPixels;  // the largest size a control takes on screen
//   };
//
// A driver of a window without a window system (tests/fakes/fake_window.h) also has
// `static constexpr bool kWithoutWindowSystem = true;`: the tests of what only a window system
// does (another program's window taking the keyboard) are skipped for it, saying so.
#pragma once

#include <gtest/gtest.h>

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
#include "app/window_services.h"
#include "platform/system/date_services.h"
#include "platform/system/path_text.h"
#include "tests/contract/window_cases.h"
#include "tests/fakes/call_log.h"
#include "tests/fakes/fake_automation.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_mouse_pointer.h"
#include "tests/fakes/fake_provider.h"
#include "tests/support/temp_dir.h"

namespace contract {

// Whether `Driver` drives a window of a real window system.
template <typename Driver>
inline constexpr bool kRealWindow = !requires {
  Driver::kWithoutWindowSystem;
};

template <typename Driver>
class WindowContract : public testing::Test {
 protected:
  // AD 2022-08-28 is BS 2079/05/12.
  explicit WindowContract(platform::Date today = {2022, 8, 28}) : today_(today) {}

  void SetUp() override {
    window_.emplace(Services());
    ASSERT_TRUE(window_->Opened()) << (message_box_.shown().empty() ? "" : message_box_.shown()[0]);
  }
  void TearDown() override { EXPECT_TRUE(exit_statuses_.empty()) << "an error escaped a handler"; }

  app::WindowServices Services() {
    return {
        &dialog_, &message_box_, &screen_, &clipboard_, &objects_, &provider_, [this](int status) {
          exit_statuses_.push_back(status);
        }};
  }
  platform::Control& Control(const char* name) { return window_->Window().Controls(name); }
  std::string TextOf(const char* name) { return Control(name).Text().Text(); }
  platform::ListView& List() { return window_->List(); }
  // Opens the window again on the real provider, which reads table files.
  void OpenOnTheRealProvider() {
    app::WindowServices services = Services();
    services.provider = nullptr;
    window_.emplace(services);
    ASSERT_TRUE(window_->Opened());
  }

  // Two records on 2079/05/12, one on 2079/05/13.
  void StockTwoDays() {
    provider_.SetDay("2079/05/12", {window_cases::Record("0001", "12/05/2079"),
                                    window_cases::Record("0002", "12/05/2079")});
    provider_.SetDay("2079/05/13", {window_cases::Record("0001", "13/05/2079")});
  }
  // Each item's text and its first sub-item's.
  std::vector<std::string> ItemTexts() {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < List().ItemCount(); ++i) {
      texts.push_back(List().ItemText(i) + " " + List().SubItemText(i, 0));
    }
    return texts;
  }

  static constexpr char kTable[] = "/data/TRAN.dbf";
  static constexpr char kOtherTable[] = "/data/OLD.dbf";

  platform::ScopedToday today_;
  fakes::CallLog log_;
  fakes::FakeFileDialog dialog_{&log_};
  fakes::FakeMessageBox message_box_{&log_};
  fakes::FakeMousePointer screen_{&log_};
  fakes::FakeClipboard clipboard_{&log_};
  fakes::FakeObjectFactory objects_{&log_};
  fakes::FakeProvider provider_;
  std::vector<int> exit_statuses_;  // the program's ends that were asked for
  std::optional<Driver> window_;
};

TYPED_TEST_SUITE_P(WindowContract);

TYPED_TEST_P(WindowContract, BothBoxesShowTodaysBsDatePathAndListEmptyFocusInList) {
  EXPECT_EQ(this->TextOf("TxtFrom"), "2079/05/12");
  EXPECT_EQ(this->TextOf("TxtTo"), "2079/05/12");
  EXPECT_EQ(this->TextOf("TxtFile"), "");
  EXPECT_EQ(this->List().ColumnHeaderCount(), 0u);
  EXPECT_EQ(this->List().ItemCount(), 0u);
  EXPECT_EQ(this->window_->Focused(), "ListView1");
  EXPECT_TRUE(this->message_box_.shown().empty());

  // AD 2023-04-14 is the first day of BS 2080.
  platform::ScopedToday new_year({2023, 4, 14});
  this->window_.emplace(this->Services());
  EXPECT_EQ(this->TextOf("TxtFrom"), "2080/01/01");
  EXPECT_EQ(this->TextOf("TxtTo"), "2080/01/01");
}

TYPED_TEST_P(WindowContract, DayPastTheCalendarIsReportedAndNoWindowIsShown) {
  this->window_.reset();
  platform::ScopedToday today({4944, 6, 1});
  fakes::FakeMessageBox message_box;
  app::WindowServices services;
  services.message_box = &message_box;
  EXPECT_FALSE(TypeParam(services).Opened());
  ASSERT_EQ(message_box.shown().size(), 1u);
  EXPECT_EQ(message_box.shown()[0].rfind("16 9: ", 0), 0u) << message_box.shown()[0];
}

TYPED_TEST_P(WindowContract, TabKeyWalksFromListToTheSecondDateBoxAndRoundAgain) {
  for (const char* name : window_cases::kTabOrder) {
    this->window_->PressTab();
    EXPECT_EQ(this->window_->Focused(), name);
  }
}

TYPED_TEST_P(WindowContract, FirstLayoutPutsButtonAndListAgainstTheEdges) {
  ASSERT_DOUBLE_EQ(this->window_->TwipsPerPixel(), 15.0) << "tests assume 96 dpi";
  EXPECT_FLOAT_EQ(this->window_->Window().ScaleWidth(), 14025);
  EXPECT_FLOAT_EQ(this->window_->Window().ScaleHeight(), 4560);
  for (const window_cases::ControlPlace& place : window_cases::kFirstLayout) {
    SCOPED_TRACE(place.name);
    platform::Control& control = this->Control(place.name);
    EXPECT_FLOAT_EQ(control.Left(), place.left);
    EXPECT_FLOAT_EQ(control.Top(), place.top);
    EXPECT_FLOAT_EQ(control.Width(), place.width);
    EXPECT_FLOAT_EQ(control.Height(), place.height);
    const std::array<int, 4> expected = {static_cast<int>(std::lround(place.left / 15)),
                                         static_cast<int>(std::lround(place.top / 15)),
                                         static_cast<int>(std::lround(place.width / 15)),
                                         static_cast<int>(std::lround(place.height / 15))};
    EXPECT_EQ(this->window_->Pixels(place.name), expected);
  }
}

TYPED_TEST_P(WindowContract, WideningMovesButtonAndWidensListOnly) {
  const auto [width, height] = this->window_->Inner();
  this->window_->SetInner(width + 67, height);  // 1005 twips
  EXPECT_FLOAT_EQ(this->Control("CmdBrowse").Left(), 12200 + 1005);
  EXPECT_FLOAT_EQ(this->Control("ListView1").Width(), 13765 + 1005);
  EXPECT_FLOAT_EQ(this->Control("ListView1").Height(), 3710);
  EXPECT_FLOAT_EQ(this->Control("TxtFrom").Left(), 7200);
  EXPECT_FLOAT_EQ(this->Control("TxtTo").Left(), 9240);
  EXPECT_FLOAT_EQ(this->Control("TxtFile").Width(), 5655);
}

TYPED_TEST_P(WindowContract, WindowShrinksBelowTheLayoutAndKeepsTheListHeightItCannotGive) {
  const auto [start_width, start_height] = this->window_->Inner();
  for (const window_cases::SmallInner& c : window_cases::kSmallInners) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    this->window_->SetInner(start_width, start_height);
    this->window_->SetInner(c.width, c.height);
    EXPECT_FLOAT_EQ(this->window_->Window().ScaleWidth(), static_cast<float>(c.width) * 15);
    EXPECT_FLOAT_EQ(this->window_->Window().ScaleHeight(), static_cast<float>(c.height) * 15);
    EXPECT_FLOAT_EQ(this->Control("CmdBrowse").Left(), c.button_left);
    EXPECT_FLOAT_EQ(this->Control("ListView1").Width(), c.list_width);
    EXPECT_FLOAT_EQ(this->Control("ListView1").Height(), c.list_height);
  }
  EXPECT_TRUE(this->message_box_.shown().empty());
  this->window_->SetInner(start_width, start_height);
  EXPECT_FLOAT_EQ(this->Control("ListView1").Height(), 3710);
}

// Sizes no window system gives a shown window, through an inner area given to the form.
struct InnerCase {
  float width, height;
  float button_left, list_width, list_height;
};

TYPED_TEST_P(WindowContract, LayoutOfSmallInnerAreasDoesWhatItCanAndSaysNothing) {
  struct InnerArea : platform::Form {
    explicit InnerArea(platform::Form& of) : window(of) {}
    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    platform::Control& Controls(const std::string& name) override { return window.Controls(name); }
    platform::Form& window;
    float width = 14025, height = 4560;
  } inner(this->window_->Window());
  app::MainForm form(inner, this->List(),
                     {this->dialog_, this->message_box_, this->screen_, this->clipboard_,
                      this->objects_, this->provider_});
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
    EXPECT_FLOAT_EQ(this->Control("CmdBrowse").Left(), c.button_left);
    EXPECT_FLOAT_EQ(this->Control("ListView1").Width(), c.list_width);
    EXPECT_FLOAT_EQ(this->Control("ListView1").Height(), c.list_height);
  }
  EXPECT_TRUE(this->message_box_.shown().empty());
  EXPECT_TRUE(this->exit_statuses_.empty());
}

TYPED_TEST_P(WindowContract, MinimisingSaysNothingAndRestoringLaysOutAgain) {
  this->window_->Minimise();
  EXPECT_FLOAT_EQ(this->window_->Window().ScaleWidth(), 0);
  EXPECT_FLOAT_EQ(this->Control("CmdBrowse").Left(), -1825);
  EXPECT_FLOAT_EQ(this->Control("ListView1").Width(), 13765);
  EXPECT_FLOAT_EQ(this->Control("ListView1").Height(), 3710);
  this->window_->Restore();
  EXPECT_FLOAT_EQ(this->Control("CmdBrowse").Left(), 12200);
  EXPECT_TRUE(this->message_box_.shown().empty());
}

TYPED_TEST_P(WindowContract, NegativeSizeIsRefusedAndHugeSizeIsKeptInTwipsAndBoundedOnScreen) {
  platform::Control& list = this->Control("ListView1");
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
  EXPECT_EQ(this->window_->Pixels("ListView1")[2], TypeParam::kMostPixels);
}

TYPED_TEST_P(WindowContract, TypedKeysGiveTheTextsTheDateCheckExpects) {
  for (const window_cases::TypingCase& c : window_cases::kTyping) {
    SCOPED_TRACE(c.keys);
    this->window_->Enter("TxtTo");
    ASSERT_EQ(this->Control("TxtTo").Text().SelLength(), 10);
    if (*c.keys == '\0') {
      this->window_->PressDelete();
    } else {
      this->window_->Type(c.keys);
    }
    EXPECT_EQ(this->TextOf("TxtTo"), c.typed);
    this->window_->Enter("CmdBrowse");
    EXPECT_EQ(this->TextOf("TxtTo"), c.checked);
  }
  EXPECT_TRUE(this->message_box_.shown().empty());
}

TYPED_TEST_P(WindowContract, GainingTheFocusSelectsTheWholeTextEveryTimeAndLeavingRunsTheCheck) {
  // A text the boxes never hold after a check: the check must run to correct it.
  this->Control("TxtFrom").Text().SetText("2079/05/32");
  for (const char* name : {"TxtFrom", "TxtTo", "TxtFrom"}) {
    SCOPED_TRACE(name);
    this->window_->Enter(name);
    EXPECT_EQ(this->Control(name).Text().SelStart(), 0);
    EXPECT_EQ(this->Control(name).Text().SelLength(), 10);
    this->window_->Enter("CmdBrowse");
  }
  EXPECT_EQ(this->TextOf("TxtFrom"), "2079/05/31");
}

TYPED_TEST_P(WindowContract, ControlsCarryTheirCaptionsTipsAndTheDataMenu) {
  EXPECT_EQ(this->window_->Title(), "Kolvex");
  EXPECT_EQ(this->window_->Caption("Label1"), "File Name");
  EXPECT_EQ(this->window_->Caption("CmdBrowse"), "Browse Database");
  EXPECT_EQ(this->window_->ToolTip("TxtFrom"), "First BS date of the range, yyyy/mm/dd");
  EXPECT_EQ(this->window_->ToolTip("TxtTo"), "Last BS date of the range, yyyy/mm/dd");
  EXPECT_FALSE(this->window_->ToolTip("TxtFile").empty());
  EXPECT_EQ(this->window_->MenuBar(), std::vector<std::string>{"&Data"}) << "Alt+D opens it";
  EXPECT_EQ(this->window_->DataMenu(), std::vector<std::string>{"Export to Excel\tCtrl+E"});
}

TYPED_TEST_P(WindowContract, CtrlEExportsFromAnyControl) {
  for (const char* name : window_cases::kTabOrder) {
    SCOPED_TRACE(name);
    this->window_->Enter(name);
    this->clipboard_.SetText("not exported", {});
    this->window_->PressCtrl('E');
    EXPECT_EQ(this->clipboard_.text(), "\r\n");
  }
}

TYPED_TEST_P(WindowContract, ClickOrTabIntoABoxChecksTheBoxLeftThenTypedKeysGiveTheTypedDate) {
  struct Case {
    double where;    // of the box's width; 0 for the Tab key
    bool trembling;  // the pointer moves on the spot while the button is down
  };
  const Case cases[] = {{0.0, false}, {0.02, false}, {0.2, false}, {0.45, false}, {0.6, false},
                        {0.8, false}, {0.98, false}, {0.02, true}, {0.45, true},  {0.98, true}};
  for (const auto& [where, trembling] : cases) {
    SCOPED_TRACE(where == 0 ? std::string("tab")
                            : "click " + std::to_string(where) + (trembling ? " trembling" : ""));
    this->Control("TxtTo").Text().SetText("2079/05/12");
    this->window_->Enter("TxtFrom");
    this->window_->Type("20795/3");
    if (where == 0) {
      this->window_->PressTab();
    } else {
      const int x = static_cast<int>(this->window_->Pixels("TxtTo")[2] * where);
      this->window_->Click("TxtTo", x, trembling ? x : -1);
    }
    ASSERT_EQ(this->window_->Focused(), "TxtTo");
    EXPECT_EQ(this->TextOf("TxtFrom"), "2079/05/03") << "the box left is checked first";
    EXPECT_EQ(this->TextOf("TxtTo"), "2079/05/12");
    EXPECT_EQ(this->Control("TxtTo").Text().SelStart(), 0);
    EXPECT_EQ(this->Control("TxtTo").Text().SelLength(), 10);
    this->window_->Type("20810101");
    EXPECT_EQ(this->TextOf("TxtTo"), "2081/01/01");
    this->window_->Enter("CmdBrowse");
    EXPECT_EQ(this->TextOf("TxtTo"), "2081/01/01");
  }
  EXPECT_TRUE(this->message_box_.shown().empty());
}

TYPED_TEST_P(WindowContract, SecondClickPlacesTheCaretAndADragSelectsWhatItCovers) {
  platform::TextBox& text = this->Control("TxtFrom").Text();
  // Far from where the second click comes, which would otherwise make a double click.
  this->window_->Click("TxtFrom", this->window_->Pixels("TxtFrom")[2] * 9 / 10);
  ASSERT_EQ(text.SelLength(), 10);
  this->window_->Click("TxtFrom", this->window_->Before("TxtFrom", 9));
  EXPECT_EQ(text.SelLength(), 0);
  EXPECT_EQ(text.SelStart(), 9);
  this->window_->Type("5");
  EXPECT_EQ(this->TextOf("TxtFrom"), "2079/05/15");

  this->window_->Enter("CmdBrowse");
  this->window_->Click("TxtFrom", this->window_->Before("TxtFrom", 0),
                       this->window_->Before("TxtFrom", 3));
  ASSERT_EQ(this->window_->Focused(), "TxtFrom");
  EXPECT_EQ(text.SelStart(), 0);
  EXPECT_EQ(text.SelLength(), 3);
  this->window_->Type("208");
  EXPECT_EQ(this->TextOf("TxtFrom"), "2089/05/15");
}

TYPED_TEST_P(WindowContract, SwitchingWindowsRunsNoHandler) {
  if constexpr (!kRealWindow<TypeParam>) {
    GTEST_SKIP() << "another window becoming the active one needs a window system";
  } else {
    this->Control("TxtFrom").Text().SetText("2079/05/32");
    this->window_->Enter("TxtFrom");
    this->Control("TxtFrom").Text().SetSelStart(3);
    this->window_->ActivateOtherWindow();
    ASSERT_NE(this->window_->Focused(), "TxtFrom");
    EXPECT_EQ(this->TextOf("TxtFrom"), "2079/05/32") << "leaving for another window checks nothing";
    this->window_->ActivateWindow();
    EXPECT_EQ(this->window_->Focused(), "TxtFrom") << "the focus comes back where it was";
    EXPECT_EQ(this->Control("TxtFrom").Text().SelLength(), 0) << "coming back selects nothing";
    EXPECT_EQ(this->TextOf("TxtFrom"), "2079/05/32");
  }
}

TYPED_TEST_P(WindowContract, SelectAllFindsTheControlByNameAndSelectsNothingInAnEmptyBox) {
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
  this->window_->Form().SelectAll(this->window_->Window(), name_only);
  EXPECT_EQ(this->Control("TxtTo").Text().SelStart(), 0);
  EXPECT_EQ(this->Control("TxtTo").Text().SelLength(), 10);
  this->window_->Form().SelectAll(this->window_->Window(), this->Control("TxtFile"));
  EXPECT_EQ(this->Control("TxtFile").Text().SelStart(), 0);
  EXPECT_EQ(this->Control("TxtFile").Text().SelLength(), 0);
}

TYPED_TEST_P(WindowContract, FailingCheckIsSilentAndKeepsTheBox) {
  // A year outside the table needs today's BS year, which a day past the table cannot give.
  platform::ScopedToday late({4944, 6, 1});
  this->Control("TxtTo").Text().SetText("1234/05/3_");
  this->window_->Enter("TxtTo");
  this->window_->Enter("CmdBrowse");
  EXPECT_EQ(this->TextOf("TxtTo"), "1234/05/3_");
  EXPECT_TRUE(this->message_box_.shown().empty());
}

TYPED_TEST_P(WindowContract, FileThatIsNotATableGivesOneMessageFromTheRealProvider) {
  const test_support::TempDir temp;
  const std::filesystem::path folder = temp.path() / platform::PathFromUtf8("नेपाल");
  std::filesystem::create_directory(folder);
  std::ofstream(folder / "TRAN.dbf")
      << "This is a letter, not a table: it runs on past a header.\n";
  const std::string path = platform::Utf8Of(folder / "TRAN.dbf");
  this->OpenOnTheRealProvider();
  this->List().AddColumnHeader("kept", 1400, platform::ColumnKind::kText);
  this->dialog_.Answer(path);
  this->window_->ClickBrowse();
  ASSERT_EQ(this->message_box_.shown().size(), 1u);
  // What it means for the user first, then the detail.
  const std::string& shown = this->message_box_.shown()[0];
  EXPECT_EQ(shown.rfind("16 -2147467259: The table cannot be read: '", 0), 0u) << shown;
  EXPECT_NE(shown.find(path + "' is not a FoxPro table, or it is damaged (unknown version byte "
                              "0x54)."),
            std::string::npos)
      << shown;
  EXPECT_EQ(this->TextOf("TxtFile"), path);
  EXPECT_EQ(this->List().ColumnHeaderCount(), 1u);
  EXPECT_EQ(this->List().ColumnHeaderText(0), "kept");
}

// Typed and checked in the box, loaded with the button, read by the real provider from the
// sample table: the message says which box holds no date and what to type.
TYPED_TEST_P(WindowContract, ALoadFromABoxWithoutADateSaysWhichBoxAndWhatToTypeOnTheStatusLine) {
  this->OpenOnTheRealProvider();
  this->window_->Enter("TxtFrom");
  this->window_->Type("99999999");
  this->window_->PressTab();  // leaving the box checks its date
  ASSERT_EQ(this->TextOf("TxtFrom"), "0000/00/00");
  this->List().AddColumnHeader("old", 1400, platform::ColumnKind::kText);
  this->dialog_.Answer(std::string(KOLVEX_SOURCE_DIR) + "/samples/TRAN.dbf");
  this->window_->ClickBrowse();
  EXPECT_EQ(this->message_box_.shown(), std::vector<std::string>{"16 9: Subscript out of range"});
  const std::string status = this->window_->StatusLine();
  EXPECT_EQ(status.rfind("The first date is not a BS date from 1500/01/01 to 5000/12/31: type a "
                         "date as yyyy/mm/dd. The list holds the 0 records of ",
                         0),
            0u)
      << status;
  // The table was read: its nine columns replaced the list's, and no day could be listed.
  EXPECT_EQ(this->List().ColumnHeaderCount(), 9u);
  EXPECT_EQ(this->List().ItemCount(), 0u);
}

TYPED_TEST_P(WindowContract, FirstPressCancelledLeavesPathEmptyAndLoadsNothing) {
  this->window_->ClickBrowse();
  EXPECT_EQ(this->dialog_.showings(), 1);
  EXPECT_EQ(this->dialog_.filter(), "DBF File|*.dbf");
  EXPECT_EQ(this->TextOf("TxtFile"), "");
  EXPECT_TRUE(this->provider_.connection_strings().empty());
  EXPECT_TRUE(this->screen_.history().empty());
  EXPECT_TRUE(this->message_box_.shown().empty());
}

TYPED_TEST_P(WindowContract, ChosenTableIsLoadedUnderTheHourglass) {
  this->StockTwoDays();
  this->Control("TxtTo").Text().SetText("2079/05/13");
  this->dialog_.Answer(this->kTable);
  this->window_->ClickBrowse();
  EXPECT_EQ(this->TextOf("TxtFile"), this->kTable);
  ASSERT_EQ(this->provider_.connection_strings().size(), 1u);
  EXPECT_EQ(this->provider_.connection_strings()[0],
            "Provider=vfpoledb;Data Source=/data/TRAN.dbf;Collating Sequence=machine");
  EXPECT_EQ(this->ItemTexts(),
            (std::vector<std::string>{"0001 2079/05/12", "0002 2079/05/12", "0001 2079/05/13"}));
  EXPECT_EQ(this->List().ColumnHeaderCount(), 9u);
  EXPECT_EQ(this->screen_.history(), (std::vector<int>{11, 0}));
  EXPECT_TRUE(this->message_box_.shown().empty());
  EXPECT_EQ(this->TextOf("TxtFrom"), "2079/05/12");
  EXPECT_EQ(this->TextOf("TxtTo"), "2079/05/13");
  EXPECT_EQ(this->window_->StatusLine(),
            "/data/TRAN.dbf \u2014 3 records, 2079/05/12 to 2079/05/13");
}

TYPED_TEST_P(WindowContract, DatesInTheWrongOrderAreLoadedInOrderAndKeptInTheBoxes) {
  this->StockTwoDays();
  this->Control("TxtFrom").Text().SetText("2079/05/13");
  this->dialog_.Answer(this->kTable);
  this->window_->ClickBrowse();
  EXPECT_EQ(this->provider_.days(), (std::vector<std::string>{"2079/05/12", "2079/05/13"}));
  EXPECT_EQ(this->ItemTexts().front(), "0001 2079/05/12");
  EXPECT_EQ(this->TextOf("TxtFrom"), "2079/05/13");
  EXPECT_EQ(this->TextOf("TxtTo"), "2079/05/12");
}

TYPED_TEST_P(WindowContract, CancelAfterAChoiceLoadsTheEarlierTableAgain) {
  this->StockTwoDays();
  this->dialog_.Answer(this->kTable);
  this->window_->ClickBrowse();
  this->dialog_.Answer(std::nullopt);
  this->window_->ClickBrowse();
  EXPECT_EQ(this->TextOf("TxtFile"), this->kTable);
  EXPECT_EQ(this->provider_.connection_strings().size(), 2u);
  EXPECT_EQ(this->List().ItemCount(), 2u);
}

TYPED_TEST_P(WindowContract, TableThatCannotBeOpenedGivesOneMessageAndKeepsTheList) {
  this->StockTwoDays();
  this->dialog_.Answer(this->kTable);
  this->window_->ClickBrowse();
  const std::vector<std::string> before = this->ItemTexts();
  this->provider_.FailConnect(
      platform::RunTimeError(platform::error::kDatabaseError, "not a table."));
  this->dialog_.Answer(this->kOtherTable);
  this->window_->ClickBrowse();
  EXPECT_EQ(this->message_box_.shown(),
            std::vector<std::string>{"16 -2147467259: The table cannot be read: not a table."});
  EXPECT_EQ(this->ItemTexts(), before);
  EXPECT_EQ(this->List().ColumnHeaderCount(), 9u);
  EXPECT_EQ(this->TextOf("TxtFile"), this->kOtherTable);
  EXPECT_EQ(this->window_->StatusLine(),
            "The list still holds 2 records of /data/TRAN.dbf, 2079/05/12.");
  EXPECT_EQ(this->screen_.Pointer(), platform::kPointerDefault);
}

TYPED_TEST_P(WindowContract, PointerIsTheDefaultAgainBeforeTheMessage) {
  this->provider_.FailConnect(platform::RunTimeError(platform::error::kFileNotFound));
  this->dialog_.Answer(this->kTable);
  this->window_->ClickBrowse();
  EXPECT_EQ(this->log_.calls(),
            (std::vector<std::string>{"SetFilter DBF File|*.dbf", "ShowOpen", "SetPointer 11",
                                      "SetPointer 0", "MessageBox 16 53: File not found"}));
}

TYPED_TEST_P(WindowContract, FailureInTheMiddleOfALoadKeepsTheRowsReadSoFar) {
  this->StockTwoDays();
  this->Control("TxtTo").Text().SetText("2079/05/14");
  // Record sets: the structure query, then the days 12, 13 and 14.
  this->provider_.FailQuery(3, platform::RunTimeError(platform::error::kCommandError, "day 3."));
  this->dialog_.Answer(this->kTable);
  this->window_->ClickBrowse();
  EXPECT_EQ(this->message_box_.shown(),
            std::vector<std::string>{"16 -2147217900: The query cannot be run: day 3."});
  EXPECT_EQ(this->List().ItemCount(), 3u);
  EXPECT_EQ(this->List().ColumnHeaderCount(), 9u);
  EXPECT_EQ(this->screen_.Pointer(), platform::kPointerDefault);
  EXPECT_EQ(this->window_->StatusLine(),
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

TYPED_TEST_P(WindowContract, StatusLineSaysWhichTableWasReadAndWhatTheListHolds) {
  this->StockTwoDays();
  std::vector<platform::db::Value> no_member = window_cases::Record("", "14/05/2079");
  no_member[0] = platform::db::Value::Null();
  this->provider_.SetDay("2079/05/14", {no_member});
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
    const std::size_t shown_before = this->message_box_.shown().size();
    this->Control("TxtFrom").Text().SetText(c.from);
    if (c.failure) this->provider_.FailConnect(*c.failure);
    this->dialog_.Answer(c.answer);
    this->window_->ClickBrowse();
    this->provider_.FailConnect(std::nullopt);
    EXPECT_EQ(this->window_->StatusLine(), c.status);
    const std::vector<std::string> shown(this->message_box_.shown().begin() + shown_before,
                                         this->message_box_.shown().end());
    EXPECT_EQ(shown,
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
  }
}

// Browse Database is the only way to start a load: F5 and Enter in a date box load nothing, and
// Enter leaves the box as typed.
TYPED_TEST_P(WindowContract, OnlyBrowseDatabaseLoads) {
  this->StockTwoDays();
  this->Control("TxtTo").Text().SetText("2079/05/13");
  this->dialog_.Answer(this->kTable);
  this->window_->ClickBrowse();
  ASSERT_EQ(this->List().ItemCount(), 3u);
  const std::size_t opens = this->provider_.opens().size();
  for (const char* box : {"TxtFrom", "TxtTo"}) {
    SCOPED_TRACE(box);
    this->window_->Enter(box);
    this->window_->Type("20795/13");
    this->window_->PressEnter();
    EXPECT_EQ(this->TextOf(box), "2079/5_/13");
    this->window_->PressF5();
    this->window_->Enter("ListView1");
    this->window_->PressF5();
  }
  EXPECT_EQ(this->provider_.opens().size(), opens);
  EXPECT_EQ(this->dialog_.showings(), 1);
  EXPECT_EQ(this->List().ItemCount(), 3u);
  EXPECT_TRUE(this->message_box_.shown().empty());
}

TYPED_TEST_P(WindowContract, ClickWhileADateBoxHoldsAHalfTypedDateChecksThatBoxFirst) {
  this->window_->Enter("TxtFrom");
  this->window_->Type("20795/3");
  ASSERT_EQ(this->TextOf("TxtFrom"), "2079/5_/3_");
  this->dialog_.Answer(this->kTable);
  this->window_->ClickBrowse();
  EXPECT_EQ(this->TextOf("TxtFrom"), "2079/05/03");
  ASSERT_FALSE(this->provider_.days().empty());
  EXPECT_EQ(this->provider_.days().front(), "2079/05/03");
}

TYPED_TEST_P(WindowContract, ErrorThatNoHandlerTakesIsCaughtBeforeTheEventLoop) {
  this->message_box_.FailAt("MessageBox", platform::RunTimeError(platform::error::kOutOfMemory));
  this->provider_.FailConnect(platform::RunTimeError(platform::error::kFileNotFound));
  this->dialog_.Answer(this->kTable);
  this->window_->ClickBrowse();  // The report fails as well; the guard takes it.
  EXPECT_EQ(this->screen_.Pointer(), platform::kPointerDefault);
  EXPECT_EQ(this->exit_statuses_, std::vector<int>{1});
  this->exit_statuses_.clear();
}

TYPED_TEST_P(WindowContract, ExportPutsTheListOnTheClipboardAndOpensTheSpreadsheet) {
  this->List().AddColumnHeader("Mem_Code", 1400, platform::ColumnKind::kText);
  this->List().AddColumnHeader("ne_date", 1400, platform::ColumnKind::kText);
  const std::size_t item = this->List().AddItem();
  this->List().SetItemText(item, "0001");
  this->List().AddSubItem(item, "2079/05/12");
  this->window_->ChooseExport();
  EXPECT_EQ(this->clipboard_.text(), "Mem_Code\tne_date\r\n0001\t2079/05/12");
  EXPECT_EQ(this->message_box_.shown(),
            std::vector<std::string>{"64 Press [CTRL+V] key to paste the data."});
  EXPECT_TRUE(this->objects_.spreadsheet().visible());
  EXPECT_EQ(this->List().ItemCount(), 1u);
}

// One message, and the clipboard as the failure leaves it: filled when the spreadsheet program
// fails, left empty when filling it fails after it was cleared.
TYPED_TEST_P(WindowContract, ExportFailureIsReportedOnce) {
  this->objects_.FailAt("CreateObject", platform::RunTimeError(platform::error::kCannotCreateObject,
                                                               "none was found."));
  this->window_->ChooseExport();
  EXPECT_EQ(this->message_box_.shown(),
            std::vector<std::string>{
                "16 429: The spreadsheet program cannot be started: none was found."});
  EXPECT_EQ(this->clipboard_.text(), "\r\n");

  this->clipboard_.FailAt("SetText", platform::RunTimeError(platform::error::kCannotOpenClipboard));
  this->window_->ChooseExport();
  ASSERT_EQ(this->message_box_.shown().size(), 2u);
  EXPECT_EQ(this->message_box_.shown()[1].rfind("16 521: ", 0), 0u)
      << this->message_box_.shown()[1];
  EXPECT_EQ(this->clipboard_.text(), "");
  EXPECT_FALSE(this->objects_.spreadsheet().visible());
}

REGISTER_TYPED_TEST_SUITE_P(
    WindowContract, BothBoxesShowTodaysBsDatePathAndListEmptyFocusInList,
    DayPastTheCalendarIsReportedAndNoWindowIsShown,
    TabKeyWalksFromListToTheSecondDateBoxAndRoundAgain, FirstLayoutPutsButtonAndListAgainstTheEdges,
    WideningMovesButtonAndWidensListOnly,
    WindowShrinksBelowTheLayoutAndKeepsTheListHeightItCannotGive,
    LayoutOfSmallInnerAreasDoesWhatItCanAndSaysNothing,
    MinimisingSaysNothingAndRestoringLaysOutAgain,
    NegativeSizeIsRefusedAndHugeSizeIsKeptInTwipsAndBoundedOnScreen,
    TypedKeysGiveTheTextsTheDateCheckExpects,
    GainingTheFocusSelectsTheWholeTextEveryTimeAndLeavingRunsTheCheck,
    ControlsCarryTheirCaptionsTipsAndTheDataMenu, CtrlEExportsFromAnyControl,
    ClickOrTabIntoABoxChecksTheBoxLeftThenTypedKeysGiveTheTypedDate,
    SecondClickPlacesTheCaretAndADragSelectsWhatItCovers, SwitchingWindowsRunsNoHandler,
    SelectAllFindsTheControlByNameAndSelectsNothingInAnEmptyBox, FailingCheckIsSilentAndKeepsTheBox,
    FileThatIsNotATableGivesOneMessageFromTheRealProvider,
    ALoadFromABoxWithoutADateSaysWhichBoxAndWhatToTypeOnTheStatusLine,
    FirstPressCancelledLeavesPathEmptyAndLoadsNothing, ChosenTableIsLoadedUnderTheHourglass,
    DatesInTheWrongOrderAreLoadedInOrderAndKeptInTheBoxes,
    CancelAfterAChoiceLoadsTheEarlierTableAgain,
    TableThatCannotBeOpenedGivesOneMessageAndKeepsTheList, PointerIsTheDefaultAgainBeforeTheMessage,
    FailureInTheMiddleOfALoadKeepsTheRowsReadSoFar,
    StatusLineSaysWhichTableWasReadAndWhatTheListHolds, OnlyBrowseDatabaseLoads,
    ClickWhileADateBoxHoldsAHalfTypedDateChecksThatBoxFirst,
    ErrorThatNoHandlerTakesIsCaughtBeforeTheEventLoop,
    ExportPutsTheListOnTheClipboardAndOpensTheSpreadsheet, ExportFailureIsReportedOnce);

}  // namespace contract
