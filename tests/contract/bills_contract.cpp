#include "tests/contract/bills_contract.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "export/exact_decimal.h"
#include "export/slips_pdf.h"
#include "platform/system/path_text.h"
#include "tests/cli/read_back.h"

namespace contract {

BillsFixture::BillsFixture() : today_({2024, 5, 3}) {}

BillsFixture::~BillsFixture() = default;

void BillsFixture::SetUp() {
  std::filesystem::copy_file(KOLVEX_SOURCE_DIR "/samples/TRAN.dbf", folder_.path() / "TRAN.dbf");
  Open();
}

void BillsFixture::TearDown() {
  EXPECT_TRUE(exit_statuses_.empty()) << "an error escaped a handler";
}

void BillsFixture::Open(std::optional<std::string> start_folder) {
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
  window_ = OpenWindow(services);
  ASSERT_TRUE(window_->Opened()) << Messages();
}

std::string BillsFixture::Path(const std::string& name) {
  return platform::Utf8Of(folder_.path() / platform::PathFromUtf8(name));
}

std::string BillsFixture::TextOf(const char* name) {
  return window_->Window().Controls(name).Text().Text();
}

std::string BillsFixture::Messages() {
  std::string all;
  for (const std::string& shown : message_box_.shown()) all += shown + "\n";
  return all;
}

std::vector<std::string> BillsFixture::Column(const std::string& header) {
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

bool BillsFixture::AddsUp(const std::vector<std::string>& cells) {
  if (cells.empty()) return false;
  exporter::ExactDecimal sum;
  for (std::size_t i = 0; i + 1 < cells.size(); ++i)
    sum += *exporter::ExactDecimal::Parse(cells[i]);
  return (sum - *exporter::ExactDecimal::Parse(cells.back())).IsZero();
}

TEST_P(BillsContract, StartsOnTheLastEndedHalfMonthWithTheFoldersTable) {
  EXPECT_EQ(window_->Chosen("CboYear"), "2081");
  EXPECT_EQ(window_->Chosen("CboMonth"), "Baisakh");
  EXPECT_EQ(window_->Chosen("CboPart"), "First half (1-15)");
  EXPECT_EQ(window_->Chosen("CboCommission"), "Shown apart");
  EXPECT_EQ(TextOf("TxtDates"), "2081/01/01 to 2081/01/15");
  EXPECT_EQ(TextOf("TxtTable"), Path("TRAN.dbf"));
  EXPECT_EQ(window_->Items("CboMonth").size(), 12u);
  EXPECT_EQ(window_->Items("CboMonth")[11], "Chaitra");
  EXPECT_EQ(window_->StatusLine(), "300 members' bills from " + Path("TRAN.dbf") +
                                       " \u2014 5,840 records, 2081/01/01 to 2081/01/15");
  EXPECT_EQ(window_->Bills().ItemCount(), 301u);
  EXPECT_EQ(Messages(), "");

  // Before the 16th, the second half of the month before; a folder without a TRAN.dbf lists
  // nothing and shows no message.
  platform::ScopedToday new_year({2024, 4, 20});
  Open(Path("nothing-here"));
  EXPECT_EQ(window_->Chosen("CboYear"), "2080");
  EXPECT_EQ(window_->Chosen("CboMonth"), "Chaitra");
  EXPECT_EQ(TextOf("TxtDates"), "2080/12/16 to 2080/12/30");
  EXPECT_EQ(TextOf("TxtTable"), "");
  EXPECT_EQ(window_->Bills().ItemCount(), 0u);
  EXPECT_EQ(Messages(), "");
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

TEST_P(BillsContract, ChoosingThePeriodShowsItsDatesAndListsItsBillsAgain) {
  for (const PeriodCase& period : kPeriods) {
    SCOPED_TRACE(period.dates);
    window_->Choose("CboYear", period.year);
    window_->Choose("CboMonth", period.month);
    window_->Choose("CboPart", period.part);
    EXPECT_EQ(TextOf("TxtDates"), period.dates);
    EXPECT_EQ(window_->Bills().ItemCount(), period.rows);
    EXPECT_NE(window_->StatusLine().find(period.dates), std::string::npos) << window_->StatusLine();
  }
  EXPECT_EQ(Messages(), "");
}

// The commission's choice: the payable column, and how it is made of the amount.
struct CommissionCase {
  const char* choice;
  int sign;  // 0: no payable column
};

inline constexpr CommissionCase kCommissions[] = {
    {"Commission added", 1}, {"Commission taken", -1}, {"Shown apart", 0}};

TEST_P(BillsContract, BillsAddUpToTheirTotalAndThePayableFollowsTheCommissionChoice) {
  for (const char* column : {"records", "volume_lt", "amount", "stored_amount", "commission"}) {
    EXPECT_TRUE(AddsUp(Column(column))) << column;
  }
  EXPECT_EQ(Column("mem_code").back(), "Total");
  EXPECT_EQ(Column("records").back(), "5840");
  for (const CommissionCase& commission : kCommissions) {
    SCOPED_TRACE(commission.choice);
    window_->Choose("CboCommission", commission.choice);
    const std::vector<std::string> payable = Column("payable");
    if (commission.sign == 0) {
      EXPECT_TRUE(payable.empty());
      continue;
    }
    const std::vector<std::string> amount = Column("amount");
    const std::vector<std::string> part = Column("commission");
    ASSERT_EQ(payable.size(), amount.size());
    EXPECT_TRUE(AddsUp(payable));
    for (std::size_t i = 0; i < payable.size(); ++i) {
      exporter::ExactDecimal expected = *exporter::ExactDecimal::Parse(amount[i]);
      const exporter::ExactDecimal share = *exporter::ExactDecimal::Parse(part[i]);
      expected = commission.sign > 0 ? (expected += share) : expected - share;
      ASSERT_EQ(payable[i], expected.TwoDecimalText()) << i;
    }
  }
  EXPECT_EQ(Messages(), "");
}

TEST_P(BillsContract, SaveWorkbookWritesTheBillsTheDaySheetAndTheRecords) {
  const std::string path = Path("bills.xlsx");
  window_->Choose("CboCommission", "Commission taken");
  save_dialog_.Answer(path);
  window_->Click("CmdWorkbook");
  ASSERT_EQ(Messages(), "");
  EXPECT_EQ(save_dialog_.filter(), "Excel Workbook|*.xlsx");
  EXPECT_EQ(save_dialog_.suggested(), Path("Bills Baisakh 2081 1-15.xlsx"));
  // Each sheet opens with its title, the period and the table read, then the header row.
  const std::string period = "Baisakh 2081, first half: 2081/01/01 to 2081/01/15";
  const read_back::Cell table{"s", "Read from the table " + Path("TRAN.dbf")};
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
  const std::vector<std::string> shown = Column("payable");
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
  window_->Click("CmdWorkbook");
  save_dialog_.Answer(Path("TRAN.dbf"));
  window_->Click("CmdWorkbook");
  EXPECT_EQ(Messages().rfind("16 75: ", 0), 0u) << Messages();
}

TEST_P(BillsContract, SaveSlipsWritesOneSlipForEachMemberAndOpensIt) {
  const std::string path = Path("slips.pdf");
  save_dialog_.Answer(path);
  window_->Click("CmdSlips");
  if (!exporter::kSlipsBuilt) {
    EXPECT_EQ(Messages().rfind("16 438: ", 0), 0u) << Messages();
    EXPECT_FALSE(std::filesystem::exists(platform::PathFromUtf8(path)));
    return;
  }
  ASSERT_EQ(Messages(), "");
  EXPECT_EQ(opened_, std::vector<std::string>{path});
  const std::string text = read_back::PdfText(path);
  std::size_t slips = 0;
  for (std::size_t at = text.find(exporter::kSlipTitle); at != std::string::npos;
       at = text.find(exporter::kSlipTitle, at + 1)) {
    ++slips;
  }
  EXPECT_EQ(slips, 300u);
  EXPECT_NE(text.find("Baisakh 2081, first half: 2081/01/01 to 2081/01/15"), std::string::npos);
}

TEST_P(BillsContract, CopyPutsTheBillsOnTheClipboardWithTheirTypedForms) {
  window_->Choose("CboCommission", "Commission added");
  window_->Click("CmdCopy");
  ASSERT_EQ(Messages(), "");
  const std::string& text = clipboard_.text();
  EXPECT_EQ(text.rfind("mem_code\t", 0), 0u) << text.substr(0, 80);
  EXPECT_NE(text.find("\tpayable"), std::string::npos);
  EXPECT_NE(text.find("\r\nTotal\t"), std::string::npos);
  EXPECT_FALSE(clipboard_.flavours().empty());
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

TEST_P(BillsContract, EveryFailureIsOneNumberedMessageAndNoStaleBills) {
  for (const FailureCase& failure : kFailures) {
    SCOPED_TRACE(failure.what);
    Open();
    message_box_ = fakes::FakeMessageBox();
    if (failure.table != nullptr) {
      const std::string table = Path(failure.table);
      std::filesystem::create_directories(platform::PathFromUtf8(table).parent_path());
      std::ofstream(platform::PathFromUtf8(table)) << failure.bytes;
      open_dialog_.Answer(table);
      window_->Click("CmdOpen");
      if (failure.button != nullptr) message_box_ = fakes::FakeMessageBox();
      EXPECT_EQ(window_->Bills().ItemCount(), 0u);
    } else {
      save_dialog_.Answer(Path("no-such-folder/bills.xlsx"));
    }
    if (failure.button != nullptr) window_->Click(failure.button);
    ASSERT_EQ(message_box_.shown().size(), 1u) << Messages();
    EXPECT_EQ(Messages().rfind(failure.message, 0), 0u) << Messages();
  }
}

TEST_P(BillsContract, AnySizeKeepsTheButtonsInsideAndNeverShowsAMessage) {
  for (const auto& [width, height] : {std::pair{400, 200}, std::pair{0, 0}, std::pair{1000, 560}}) {
    window_->SetInner(width, height);
  }
  platform::Control& copy = window_->Window().Controls("CmdCopy");
  EXPECT_FLOAT_EQ(copy.Left() + copy.Width(), 1000 * 15 - 120);
  EXPECT_FLOAT_EQ(window_->Window().Controls("ListBills").Width(), 1000 * 15 - 240);
  EXPECT_EQ(Messages(), "");
}

}  // namespace contract
