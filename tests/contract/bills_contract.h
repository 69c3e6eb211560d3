// What the window Kolvex Bills does on every window system, as one typed test suite over a driver
// of each system's window, with fakes for the dialogs, the message box, the clipboard and the PDF
// viewer, today's date fixed, and the sample table copied into a folder of the test's own as the
// folder the program starts in. Each system instantiates it with a driver:
//
//   struct Driver {
//     explicit Driver(bills::BillsWindowServices services);  // opens the window as the program
//     does bool Opened(); platform::Form& Window();         // the inner area and the controls by
//     name platform::ListView& Bills();      // the listed bills std::string StatusLine();
//     std::vector<std::string> Items(const char* name);  // a choice box's items
//     std::string Chosen(const char* name);              // and the one chosen
//     void Choose(const char* name, const std::string& item);  // the user chooses an item
//     void Click(const char* name);     // a click on a button
//     void SetInner(int width, int height);  // the inner size in pixels
//   };
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/bills/bills_window.h"
#include "export/exact_decimal.h"
#include "export/slips_pdf.h"
#include "platform/system/date_services.h"
#include "platform/system/path_text.h"
#include "tests/cli/read_back.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_mouse_pointer.h"
#include "tests/fakes/fake_save_dialog.h"
#include "tests/support/temp_dir.h"

namespace contract {

template <typename Driver>
class BillsContract : public testing::Test {
 protected:
  // AD 2024-05-03 is BS 2081/01/21: the first half of Baisakh 2081 has ended.
  BillsContract() : today_({2024, 5, 3}) {}

  void SetUp() override {
    std::filesystem::copy_file(KOLVEX_SOURCE_DIR "/samples/TRAN.dbf", folder_.path() / "TRAN.dbf");
    Open();
  }
  void TearDown() override { EXPECT_TRUE(exit_statuses_.empty()) << "an error escaped a handler"; }

  void Open(std::optional<std::string> start_folder = std::nullopt) {
    window_.reset();
    bills::BillsWindowServices services;
    services.open_dialog = &open_dialog_;
    services.save_dialog = &save_dialog_;
    services.message_box = &message_box_;
    services.pointer = &pointer_;
    services.clipboard = &clipboard_;
    services.open_document = [this](const std::string& path) { opened_.push_back(path); };
    services.start_folder = start_folder.value_or(platform::Utf8Of(folder_.path()));
    services.exit_program = [this](int status) { exit_statuses_.push_back(status); };
    window_.emplace(services);
    ASSERT_TRUE(window_->Opened()) << Messages();
  }
  std::string Path(const std::string& name) {
    return platform::Utf8Of(folder_.path() / platform::PathFromUtf8(name));
  }
  std::string TextOf(const char* name) { return window_->Window().Controls(name).Text().Text(); }
  std::string Messages() {
    std::string all;
    for (const std::string& shown : message_box_.shown()) all += shown + "\n";
    return all;
  }
  // The bills' column `header`, each row's text.
  std::vector<std::string> Column(const std::string& header) {
    platform::ListView& bills = window_->Bills();
    std::vector<std::string> cells;
    for (std::size_t column = 0; column < bills.ColumnHeaderCount(); ++column) {
      if (bills.ColumnHeaderText(column) != header) continue;
      for (std::size_t item = 0; item < bills.ItemCount(); ++item) {
        cells.push_back(column == 0 ? bills.ItemText(item) : bills.SubItemText(item, column - 1));
      }
    }
    return cells;
  }
  // Whether the rows above the last add up to the last, in exact decimal.
  static bool AddsUp(const std::vector<std::string>& cells) {
    if (cells.empty()) return false;
    exporter::ExactDecimal sum;
    for (std::size_t i = 0; i + 1 < cells.size(); ++i)
      sum += *exporter::ExactDecimal::Parse(cells[i]);
    return (sum - *exporter::ExactDecimal::Parse(cells.back())).IsZero();
  }

  platform::ScopedToday today_;
  test_support::TempDir folder_;
  fakes::FakeFileDialog open_dialog_;
  fakes::FakeSaveDialog save_dialog_;
  fakes::FakeMessageBox message_box_;
  fakes::FakeMousePointer pointer_;
  fakes::FakeClipboard clipboard_;
  std::vector<std::string> opened_;
  std::vector<int> exit_statuses_;
  std::optional<Driver> window_;
};

TYPED_TEST_SUITE_P(BillsContract);

TYPED_TEST_P(BillsContract, StartsOnTheLastEndedHalfMonthWithTheFoldersTable) {
  EXPECT_EQ(this->window_->Chosen("CboYear"), "2081");
  EXPECT_EQ(this->window_->Chosen("CboMonth"), "Baisakh");
  EXPECT_EQ(this->window_->Chosen("CboPart"), "First half (1-15)");
  EXPECT_EQ(this->window_->Chosen("CboCommission"), "Shown apart");
  EXPECT_EQ(this->TextOf("TxtDates"), "2081/01/01 to 2081/01/15");
  EXPECT_EQ(this->TextOf("TxtTable"), this->Path("TRAN.dbf"));
  EXPECT_EQ(this->window_->Items("CboMonth").size(), 12u);
  EXPECT_EQ(this->window_->Items("CboMonth")[11], "Chaitra");
  EXPECT_EQ(this->window_->StatusLine(), "300 members' bills from " + this->Path("TRAN.dbf") +
                                             " \u2014 5,840 records, 2081/01/01 to 2081/01/15");
  EXPECT_EQ(this->window_->Bills().ItemCount(), 301u);
  EXPECT_EQ(this->Messages(), "");

  // Before the 16th, the second half of the month before; a folder without a TRAN.dbf lists
  // nothing and shows no message.
  platform::ScopedToday new_year({2024, 4, 20});
  this->Open(this->Path("nothing-here"));
  EXPECT_EQ(this->window_->Chosen("CboYear"), "2080");
  EXPECT_EQ(this->window_->Chosen("CboMonth"), "Chaitra");
  EXPECT_EQ(this->TextOf("TxtDates"), "2080/12/16 to 2080/12/30");
  EXPECT_EQ(this->TextOf("TxtTable"), "");
  EXPECT_EQ(this->window_->Bills().ItemCount(), 0u);
  EXPECT_EQ(this->Messages(), "");
}

// A period chosen by year, month and part: its dates, and the bills of its records.
struct PeriodCase {
  const char* year;
  const char* month;
  const char* part;
  const char* dates;
  std::size_t rows;  // members and the total row; 1: none
};

inline const PeriodCase kPeriods[] = {
    {"2081", "Jestha", "Second half (16-end)", "2081/02/16 to 2081/02/32", 301},
    {"2081", "Asar", "Whole month", "2081/03/01 to 2081/03/31", 301},
    {"2081", "Shrawan", "First half (1-15)", "2081/04/01 to 2081/04/15", 1},
    {"2080", "Chaitra", "Second half (16-end)", "2080/12/16 to 2080/12/30", 1},
};

TYPED_TEST_P(BillsContract, ChoosingThePeriodShowsItsDatesAndListsItsBillsAgain) {
  for (const PeriodCase& period : kPeriods) {
    SCOPED_TRACE(period.dates);
    this->window_->Choose("CboYear", period.year);
    this->window_->Choose("CboMonth", period.month);
    this->window_->Choose("CboPart", period.part);
    EXPECT_EQ(this->TextOf("TxtDates"), period.dates);
    EXPECT_EQ(this->window_->Bills().ItemCount(), period.rows);
    EXPECT_NE(this->window_->StatusLine().find(period.dates), std::string::npos)
        << this->window_->StatusLine();
  }
  EXPECT_EQ(this->Messages(), "");
}

// The commission's choice: the payable column, and how it is made of the amount.
struct CommissionCase {
  const char* choice;
  int sign;  // 0: no payable column
};

inline constexpr CommissionCase kCommissions[] = {
    {"Commission added", 1}, {"Commission taken", -1}, {"Shown apart", 0}};

TYPED_TEST_P(BillsContract, BillsAddUpToTheirTotalAndThePayableFollowsTheCommissionChoice) {
  for (const char* column : {"records", "volume_lt", "amount", "stored_amount", "commission"}) {
    EXPECT_TRUE(this->AddsUp(this->Column(column))) << column;
  }
  EXPECT_EQ(this->Column("mem_code").back(), "Total");
  EXPECT_EQ(this->Column("records").back(), "5840");
  for (const CommissionCase& commission : kCommissions) {
    SCOPED_TRACE(commission.choice);
    this->window_->Choose("CboCommission", commission.choice);
    const std::vector<std::string> payable = this->Column("payable");
    if (commission.sign == 0) {
      EXPECT_TRUE(payable.empty());
      continue;
    }
    const std::vector<std::string> amount = this->Column("amount");
    const std::vector<std::string> part = this->Column("commission");
    ASSERT_EQ(payable.size(), amount.size());
    EXPECT_TRUE(this->AddsUp(payable));
    for (std::size_t i = 0; i < payable.size(); ++i) {
      exporter::ExactDecimal expected = *exporter::ExactDecimal::Parse(amount[i]);
      const exporter::ExactDecimal share = *exporter::ExactDecimal::Parse(part[i]);
      expected = commission.sign > 0 ? (expected += share) : expected - share;
      ASSERT_EQ(payable[i], expected.TwoDecimalText()) << i;
    }
  }
  EXPECT_EQ(this->Messages(), "");
}

TYPED_TEST_P(BillsContract, SaveWorkbookWritesTheBillsTheDaySheetAndTheRecords) {
  const std::string path = this->Path("bills.xlsx");
  this->window_->Choose("CboCommission", "Commission taken");
  this->save_dialog_.Answer(path);
  this->window_->Click("CmdWorkbook");
  ASSERT_EQ(this->Messages(), "");
  EXPECT_EQ(this->save_dialog_.filter(), "Excel Workbook|*.xlsx");
  EXPECT_EQ(this->save_dialog_.suggested(), this->Path("Bills Baisakh 2081 1-15.xlsx"));
  // Each sheet opens with its title, the period and the table read, then the header row.
  const std::string period = "Baisakh 2081, first half: 2081/01/01 to 2081/01/15";
  const read_back::Cell table{"s", "Read from the table " + this->Path("TRAN.dbf")};
  const struct {
    const char* title;
    const char* first_header;
    const char* last_row;  // null: not a total row
    std::size_t rows;      // below the header
  } sheets[] = {{"Member bills, ", "mem_code", "Total", 301},
                {"Day sheet, ", "ne_date", "Total", 31},
                {"Records, ", "mem_code", nullptr, 5840}};
  for (int sheet = 1; sheet <= 3; ++sheet) {
    const auto& expected = sheets[sheet - 1];
    SCOPED_TRACE(expected.title);
    const read_back::Grid grid = read_back::ReadSheet(path, sheet);
    ASSERT_EQ(grid.size(), 3 + expected.rows);
    EXPECT_EQ(grid[0], (std::vector<read_back::Cell>{{"s", expected.title + period}}));
    EXPECT_EQ(grid[1], std::vector<read_back::Cell>{table});
    EXPECT_EQ(grid[2][0], (read_back::Cell{"s", expected.first_header}));
    if (expected.last_row != nullptr) {
      EXPECT_EQ(grid.back()[0].text, expected.last_row);
    }
  }
  // The payable of the Total row, the bills' last, as shown: a number shown with two decimals in
  // bold, under a header frozen below the title.
  const read_back::Grid bills = read_back::ReadSheet(path, 1);
  const std::vector<std::string> shown = this->Column("payable");
  std::size_t payable = 0;
  while (payable < bills[2].size() && bills[2][payable].text != "payable") ++payable;
  ASSERT_LT(payable, bills[2].size());
  EXPECT_EQ(bills[303][payable].type, "n");
  EXPECT_EQ(exporter::ExactDecimal::Parse(bills[303][payable].text)->TwoDecimalText(),
            shown.back());
  const std::string layout = read_back::ReaderOutput(path, 1, "--layout");
  const std::string cell = "303\t" + std::to_string(payable);
  for (const std::string& line :
       {std::string("frozen\t3\n"), std::string("bold\t0\t0\n"), std::string("bold\t2\t0\n"),
        "bold\t" + cell + "\n", "format\t" + cell + "\t0.00\n"}) {
    EXPECT_NE(layout.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(layout.find("bold\t1\t0\n"), std::string::npos) << "the table's row is plain";

  // A cancel writes nothing; the table itself is never written.
  this->window_->Click("CmdWorkbook");
  this->save_dialog_.Answer(this->Path("TRAN.dbf"));
  this->window_->Click("CmdWorkbook");
  EXPECT_EQ(this->Messages().rfind("16 75: ", 0), 0u) << this->Messages();
}

TYPED_TEST_P(BillsContract, SaveSlipsWritesOneSlipForEachMemberAndOpensIt) {
  const std::string path = this->Path("slips.pdf");
  this->save_dialog_.Answer(path);
  this->window_->Click("CmdSlips");
  if (!exporter::kSlipsBuilt) {
    EXPECT_EQ(this->Messages().rfind("16 438: ", 0), 0u) << this->Messages();
    EXPECT_FALSE(std::filesystem::exists(platform::PathFromUtf8(path)));
    return;
  }
  ASSERT_EQ(this->Messages(), "");
  EXPECT_EQ(this->opened_, std::vector<std::string>{path});
  const std::string text = read_back::PdfText(path);
  std::size_t slips = 0;
  for (std::size_t at = text.find(exporter::kSlipTitle); at != std::string::npos;
       at = text.find(exporter::kSlipTitle, at + 1)) {
    ++slips;
  }
  EXPECT_EQ(slips, 300u);
  EXPECT_NE(text.find("Baisakh 2081, first half: 2081/01/01 to 2081/01/15"), std::string::npos);
}

TYPED_TEST_P(BillsContract, CopyPutsTheBillsOnTheClipboardWithTheirTypedForms) {
  this->window_->Choose("CboCommission", "Commission added");
  this->window_->Click("CmdCopy");
  ASSERT_EQ(this->Messages(), "");
  const std::string& text = this->clipboard_.text();
  EXPECT_EQ(text.rfind("mem_code\t", 0), 0u) << text.substr(0, 80);
  EXPECT_NE(text.find("\tpayable"), std::string::npos);
  EXPECT_NE(text.find("\r\nTotal\t"), std::string::npos);
  EXPECT_FALSE(this->clipboard_.flavours().empty());
}

// A failure, and the one message it shows.
struct FailureCase {
  const char* what;
  const char* table;  // the file the Open dialog picks, written with `bytes`; null: none
  const char* bytes;
  const char* button;   // clicked after the table is opened
  const char* message;  // how the one message starts
};

inline constexpr FailureCase kFailures[] = {
    {"a file that is no table", "OTHER/TRAN.dbf", "not a table", nullptr, "16 -2147467259: "},
    {"no bills to save", "OTHER/TRAN.dbf", "not a table", "CmdWorkbook", "16 3021: "},
    {"no bills to copy", "OTHER/TRAN.dbf", "not a table", "CmdCopy", "16 3021: "},
    {"a folder that does not exist", nullptr, nullptr, "CmdWorkbook", "16 75: "},
};

TYPED_TEST_P(BillsContract, EveryFailureIsOneNumberedMessageAndNoStaleBills) {
  for (const FailureCase& failure : kFailures) {
    SCOPED_TRACE(failure.what);
    this->Open();
    this->message_box_ = fakes::FakeMessageBox();
    if (failure.table != nullptr) {
      const std::string table = this->Path(failure.table);
      std::filesystem::create_directories(platform::PathFromUtf8(table).parent_path());
      std::ofstream(platform::PathFromUtf8(table)) << failure.bytes;
      this->open_dialog_.Answer(table);
      this->window_->Click("CmdOpen");
      if (failure.button != nullptr) this->message_box_ = fakes::FakeMessageBox();
      EXPECT_EQ(this->window_->Bills().ItemCount(), 0u);
    } else {
      this->save_dialog_.Answer(this->Path("no-such-folder/bills.xlsx"));
    }
    if (failure.button != nullptr) this->window_->Click(failure.button);
    ASSERT_EQ(this->message_box_.shown().size(), 1u) << this->Messages();
    EXPECT_EQ(this->Messages().rfind(failure.message, 0), 0u) << this->Messages();
  }
}

TYPED_TEST_P(BillsContract, AnySizeKeepsTheButtonsInsideAndNeverShowsAMessage) {
  for (const auto& [width, height] : {std::pair{400, 200}, std::pair{0, 0}, std::pair{1000, 560}}) {
    this->window_->SetInner(width, height);
  }
  platform::Control& copy = this->window_->Window().Controls("CmdCopy");
  EXPECT_FLOAT_EQ(copy.Left() + copy.Width(), 1000 * 15 - 120);
  EXPECT_FLOAT_EQ(this->window_->Window().Controls("ListBills").Width(), 1000 * 15 - 240);
  EXPECT_EQ(this->Messages(), "");
}

REGISTER_TYPED_TEST_SUITE_P(BillsContract, StartsOnTheLastEndedHalfMonthWithTheFoldersTable,
                            ChoosingThePeriodShowsItsDatesAndListsItsBillsAgain,
                            BillsAddUpToTheirTotalAndThePayableFollowsTheCommissionChoice,
                            SaveWorkbookWritesTheBillsTheDaySheetAndTheRecords,
                            SaveSlipsWritesOneSlipForEachMemberAndOpensIt,
                            CopyPutsTheBillsOnTheClipboardWithTheirTypedForms,
                            EveryFailureIsOneNumberedMessageAndNoStaleBills,
                            AnySizeKeepsTheButtonsInsideAndNeverShowsAMessage);

}  // namespace contract
