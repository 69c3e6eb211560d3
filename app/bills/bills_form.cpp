#include "app/bills/bills_form.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "calendar/cdn_date.h"
#include "data/list_status.h"
#include "data/stored_amount.h"
#include "export/exact_decimal.h"
#include "export/file_formats.h"
#include "export/paste_data.h"
#include "export/period_summary.h"
#include "export/slips_pdf.h"
#include "platform/current_error.h"
#include "platform/system/date_services.h"
#include "platform/system/output_file.h"
#include "platform/system/path_text.h"

namespace bills {
namespace {

constexpr char kDatabaseFilter[] = "DBF File|*.dbf";
constexpr char kWorkbookFilter[] = "Excel Workbook|*.xlsx";
constexpr char kSlipsFilter[] = "PDF Document|*.pdf";
constexpr char kTableName[] = "TRAN";
// The years offered: today's and so many before it.
constexpr int kYearsBack = 20;
// Gaps the layout keeps, in twips.
constexpr float kEdge = 120;
constexpr float kBottomRow = 480;
constexpr float kListBottomGap = 600;

std::vector<std::string> Names(const auto& names) {
  return std::vector<std::string>(std::begin(names), std::end(names));
}

// `list` into `shown`, replacing what it held.
void CopyList(const platform::ListView& list, platform::ListView& shown) {
  shown.ClearItems();
  shown.ClearColumnHeaders();
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    shown.AddColumnHeader(list.ColumnHeaderText(column), list.ColumnHeaderWidth(column),
                          list.ColumnHeaderKind(column));
  }
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    const std::size_t added = shown.AddItem();
    shown.SetItemText(added, list.ItemText(item));
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      shown.AddSubItem(added, list.SubItemText(item, sub));
    }
  }
}

// The column of `list` headed `header`; the list's last when none is.
std::size_t ColumnOf(const platform::ListView& list, std::string_view header) {
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    if (list.ColumnHeaderText(column) == header) return column;
  }
  return list.ColumnHeaderCount() - 1;
}

// The text of column `column` of `item`: the item's own text for the first.
std::string CellOf(const platform::ListView& list, std::size_t item, std::size_t column) {
  return column == 0 ? list.ItemText(item) : list.SubItemText(item, column - 1);
}

// `bills` with a column "payable" after "commission": the amount plus the commission, or less it.
// The figures are the row's own two-decimal texts, so the total row's is the sum of the rows'.
platform::MemoryListView WithPayable(const platform::MemoryListView& bills, bool added) {
  const std::size_t amount = ColumnOf(bills, "amount");
  const std::size_t commission = ColumnOf(bills, "commission");
  platform::MemoryListView table;
  for (std::size_t column = 0; column < bills.ColumnHeaderCount(); ++column) {
    table.AddColumnHeader(bills.ColumnHeaderText(column), bills.ColumnHeaderWidth(column),
                          bills.ColumnHeaderKind(column));
    if (column == commission) {
      table.AddColumnHeader("payable", bills.ColumnHeaderWidth(column),
                            platform::ColumnKind::kTwoDecimals);
    }
  }
  for (std::size_t item = 0; item < bills.ItemCount(); ++item) {
    const std::size_t row = table.AddItem();
    table.SetItemText(row, bills.ItemText(item));
    for (std::size_t column = 1; column < bills.ColumnHeaderCount(); ++column) {
      table.AddSubItem(row, CellOf(bills, item, column));
      if (column != commission) continue;
      const auto money = exporter::ExactDecimal::Parse(CellOf(bills, item, amount));
      const auto part = exporter::ExactDecimal::Parse(CellOf(bills, item, commission));
      if (!money || !part) throw platform::RunTimeError::TypeMismatch();
      exporter::ExactDecimal payable = *money;
      if (added) {
        payable += *part;
      } else {
        payable = payable - *part;
      }
      table.AddSubItem(row, payable.TwoDecimalText());
    }
  }
  return table;
}

// Writes a file to `destination` through `write`, which fills the file at the path it is given:
// the destination is replaced only once the file is whole; one written in place (a device, a
// pipe) gets the bytes of a whole temporary file.
void WriteReplacing(const std::string& destination, const std::string& suffix,
                    const std::function<void(const std::string&, const std::string&)>& write) {
  platform::OutputFile file(destination);
  if (!file.in_place()) {
    write(file.path(), destination);
    return file.Commit();
  }
  const platform::TemporaryFile made(suffix);
  write(made.path(), destination);
  made.ReadInPieces([&](std::string_view piece) { file.Write(piece); });
  file.Commit();
}

}  // namespace

BillsForm::BillsForm(platform::Form& window, BillsControls controls, BillsServices services)
    : window_(window),
      controls_(controls),
      services_(std::move(services)),
      TxtTable(window.Controls("TxtTable")),
      TxtDates(window.Controls("TxtDates")) {}

void BillsForm::Form_Load() {
  const std::string today = cdnDate::AdToBs(platform::DateToText(platform::Today()));
  const PaymentPeriod period = LastEndedHalf(today);
  const int this_year = std::stoi(today.substr(0, 4));
  std::vector<std::string> years;
  for (int year = this_year - kYearsBack; year <= this_year; ++year) {
    years.push_back(std::to_string(year));
  }
  controls_.year.SetItems(years);
  controls_.year.SetListIndex(period.year - (this_year - kYearsBack));
  controls_.month.SetItems(Names(kMonthNames));
  controls_.month.SetListIndex(period.month - 1);
  controls_.part.SetItems(Names(kPartNames));
  controls_.part.SetListIndex(static_cast<int>(period.part));
  controls_.commission.SetItems(Names(kCommissionNames));
  controls_.commission.SetListIndex(0);
  TxtDates.Text().SetText(FirstDate(period) + " to " + LastDate(period));
  controls_.status_line.SetText("Choose the collections' TRAN.dbf with Open Table.");

  std::error_code unknown;
  const std::filesystem::path offered =
      platform::PathFromUtf8(services_.start_folder) / (std::string(kTableName) + ".dbf");
  if (!std::filesystem::is_regular_file(offered, unknown)) return;
  picked_ = platform::Utf8Of(offered);
  TxtTable.Text().SetText(picked_);
  try {
    ReadBills();
  } catch (...) {
    Report();
  }
}

void BillsForm::Form_Resize() {
  const auto place = [&](const char* name, float left, float top) {
    platform::Control& control = window_.Controls(name);
    control.SetLeft(left);
    control.SetTop(top);
  };
  try {
    const float width = window_.ScaleWidth();
    const float height = window_.ScaleHeight();
    platform::Control& open = window_.Controls("CmdOpen");
    open.SetLeft(width - kEdge - open.Width());
    platform::Control& table = window_.Controls("TxtTable");
    table.SetWidth(std::max(0.0f, open.Left() - kEdge - table.Left()));
    platform::Control& list = window_.Controls("ListBills");
    list.SetWidth(std::max(0.0f, width - 2 * kEdge));
    // Below the height the list needs, it keeps the height it had and the bottom row stays.
    list.SetHeight(height - list.Top() - kListBottomGap);
    const float row = height - kBottomRow;
    place("LblCommission", kEdge, row + 45);
    place("CboCommission", window_.Controls("CboCommission").Left(), row);
    float right = width - kEdge;
    for (const char* name : {"CmdCopy", "CmdSlips", "CmdWorkbook"}) {
      platform::Control& button = window_.Controls(name);
      right -= button.Width();
      place(name, right, row - 15);
      right -= kEdge;
    }
  } catch (...) {
    // A window too small or minimised: what is done stays, the rest waits for the next resize.
  }
}

void BillsForm::CmdOpen_Click() {
  try {
    services_.open_dialog.SetFilter(kDatabaseFilter);
    const std::string before = services_.open_dialog.FileName();
    services_.open_dialog.ShowOpen();
    const std::string chosen = services_.open_dialog.FileName();
    if (chosen.empty() || (chosen == before && chosen == picked_)) return;
    picked_ = chosen;
    TxtTable.Text().SetText(picked_);
    ReadBills();
  } catch (...) {
    Report();
  }
}

void BillsForm::CboPeriod_Click() {
  try {
    const PaymentPeriod period = ChosenPeriod();
    TxtDates.Text().SetText(FirstDate(period) + " to " + LastDate(period));
    if (!picked_.empty()) ReadBills();
  } catch (...) {
    Report();
  }
}

void BillsForm::CboCommission_Click() {
  try {
    if (records_) ShowBills();
  } catch (...) {
    Report();
  }
}

PaymentPeriod BillsForm::ChosenPeriod() const {
  const std::vector<std::string> years = controls_.year.Items();
  const int year = controls_.year.ListIndex();
  const int month = controls_.month.ListIndex();
  const int part = controls_.part.ListIndex();
  if (year < 0 || year >= static_cast<int>(years.size()) || month < 0 || part < 0) {
    throw platform::RunTimeError(platform::error::kInvalidPropertyValue,
                                 "choose a year, a month and a part of the month.");
  }
  return {std::stoi(years[year]), month + 1, static_cast<MonthPart>(part)};
}

void BillsForm::ReadBills() {
  // The bills of an earlier table or period are never left to be taken for these.
  records_.reset();
  controls_.bills.ClearItems();
  controls_.bills.ClearColumnHeaders();
  const PaymentPeriod period = ChosenPeriod();
  const std::string first = FirstDate(period);
  const std::string last = LastDate(period);
  controls_.status_line.SetText("Reading " + picked_ + ", " + first + " to " + last + "...");
  try {
    platform::BusyPointer busy(services_.pointer);
    platform::MemoryListView records;
    data::LoadWithStoredAmount(records, picked_, first, last, services_.provider);
    read_table_ = services_.provider.TableFile(picked_, kTableName);
    read_period_ = period;
    records_ = std::move(records);
    ShowBills();
  } catch (...) {
    records_.reset();
    controls_.bills.ClearItems();
    controls_.bills.ClearColumnHeaders();
    controls_.status_line.SetText("No bills are listed: " + picked_ + " could not be read for " +
                                  first + " to " + last + ".");
    throw;
  }
  const std::size_t members = controls_.bills.ItemCount() - 1;
  controls_.status_line.SetText(
      std::to_string(members) + (members == 1 ? " member's bill" : " members' bills") + " from " +
      data::StatusAfterLoad({read_table_, records_->ItemCount(), first, last, true}, picked_));
}

platform::MemoryListView BillsForm::MemberBills() const {
  platform::MemoryListView bills = exporter::BuildSummary(exporter::Summary::kMembers, *records_);
  const int choice = controls_.commission.ListIndex();
  if (choice <= static_cast<int>(Commission::kShownApart)) return bills;
  return WithPayable(bills, choice == static_cast<int>(Commission::kAdded));
}

void BillsForm::ShowBills() { CopyList(MemberBills(), controls_.bills); }

std::optional<std::string> BillsForm::AskDestination(const char* filter, const char* extension) {
  if (!records_) {
    throw platform::RunTimeError(platform::error::kNoCurrentRecord,
                                 "no bills are listed: open a TRAN.dbf with Open Table first.");
  }
  const std::string folder = platform::Utf8Of(platform::PathFromUtf8(read_table_).parent_path());
  static constexpr const char* kParts[] = {" 1-15", " 16-end", ""};
  const std::string name = "Bills " + std::string(kMonthNames[read_period_.month - 1]) + " " +
                           std::to_string(read_period_.year) +
                           kParts[static_cast<int>(read_period_.part)] + extension;
  std::optional<std::string> chosen = services_.save_dialog.ShowSave(
      filter, platform::Utf8Of(platform::PathFromUtf8(folder) / platform::PathFromUtf8(name)));
  if (chosen && platform::IsSameFile(*chosen, read_table_)) {
    throw platform::RunTimeError(platform::error::kPathFileAccess,
                                 "will not write '" + *chosen + "': it is the table read.");
  }
  return chosen;
}

void BillsForm::CmdWorkbook_Click() {
  try {
    const std::optional<std::string> destination = AskDestination(kWorkbookFilter, ".xlsx");
    if (!destination) return;
    platform::BusyPointer busy(services_.pointer);
    const platform::MemoryListView bills = MemberBills();
    const platform::MemoryListView days =
        exporter::BuildSummary(exporter::Summary::kDays, *records_);
    const std::string when = PeriodTitle(read_period_);
    const std::vector<exporter::NamedSheet> sheets = {
        {"Member Bills", &bills, true, SheetTitle("Member bills", when, read_table_)},
        {"Day Sheet", &days, true, SheetTitle("Day sheet", when, read_table_)},
        {exporter::kRecordsSheet, &*records_, false, SheetTitle("Records", when, read_table_)}};
    WriteReplacing(*destination, ".xlsx", [&](const std::string& path, const std::string& shown) {
      exporter::WriteSheetsXlsxFile(sheets, path, shown);
    });
    controls_.status_line.SetText("The bills of " + PeriodTitle(read_period_) + " are saved in " +
                                  *destination + ".");
  } catch (...) {
    Report();
  }
}

void BillsForm::CmdSlips_Click() {
  try {
    if (!exporter::kSlipsBuilt) {
      throw platform::RunTimeError(platform::error::kObjectDoesNotSupport,
                                   "this build of Kolvex Bills makes no slips: it was built "
                                   "without the PDF library. Save Workbook holds the same bills.");
    }
    const std::optional<std::string> destination = AskDestination(kSlipsFilter, ".pdf");
    if (!destination) return;
    {
      platform::BusyPointer busy(services_.pointer);
      const std::vector<exporter::Slip> slips = exporter::BuildSlips(*records_);
      WriteReplacing(*destination, ".pdf", [&](const std::string& path, const std::string& shown) {
#if KOLVEX_SLIPS
        exporter::WriteSlipsPdf(slips, PeriodTitle(read_period_), path, shown);
#else
        (void)slips, (void)path, (void)shown;
#endif
      });
    }
    controls_.status_line.SetText("The slips of " + PeriodTitle(read_period_) + " are saved in " +
                                  *destination + ".");
    services_.open_document(*destination);
  } catch (...) {
    Report();
  }
}

void BillsForm::CmdCopy_Click() {
  try {
    if (!records_) {
      throw platform::RunTimeError(platform::error::kNoCurrentRecord,
                                   "no bills are listed: open a TRAN.dbf with Open Table first.");
    }
    const platform::MemoryListView bills = MemberBills();
    exporter::MnuExcel_Click(bills, services_.clipboard, services_.message_box, [] {});
  } catch (...) {
    Report();
  }
}

void BillsForm::Report() {
  services_.message_box.Show(platform::CurrentError().Prompt(), platform::MessageIcon::kCritical);
}

}  // namespace bills
