// The handlers of the window Kolvex Bills, over the platform's interfaces only: the payment
// period's member bills of a TRAN.dbf, listed, saved as a workbook or as slips for printing, or
// put on the clipboard. Each window system's window (app/bills/qt, app/bills/win32) builds the
// controls of app/bills/bills_design.h and forwards their events here; tests drive the same
// handlers over a fake window. The figures are exporter::BuildSummary's and BuildSlips'.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/bills/payment_period.h"
#include "platform/choice_box.h"
#include "platform/clipboard.h"
#include "platform/controls/memory_list_view.h"
#include "platform/db/provider.h"
#include "platform/file_dialog.h"
#include "platform/form.h"
#include "platform/list_view.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "platform/save_dialog.h"
#include "platform/status_line.h"

namespace bills {

// How the commission stands beside the amount, chosen for each run: shown apart, or a column
// "payable" of the amount plus or less the commission.
enum class Commission { kShownApart, kAdded, kTaken };

// The choices as the window offers them, in Commission's order.
inline constexpr const char* kCommissionNames[] = {"Shown apart", "Commission added",
                                                   "Commission taken"};

// What the form reaches beside its window. Everything is owned by the caller and outlives the
// form.
struct BillsServices {
  platform::FileDialog& open_dialog;
  platform::SaveDialog& save_dialog;
  platform::MessageBox& message_box;
  platform::MousePointer& pointer;
  platform::Clipboard& clipboard;
  platform::db::Provider& provider;
  // Shows a saved PDF in the desktop's viewer (platform::OpenDocument).
  std::function<void(const std::string&)> open_document;
  // The folder the program was started in: its TRAN.dbf, when it has one, is read at start.
  std::string start_folder;
};

// The window's controls that are not reached by name.
struct BillsControls {
  platform::ListView& bills;
  platform::ChoiceBox& year;
  platform::ChoiceBox& month;
  platform::ChoiceBox& part;
  platform::ChoiceBox& commission;
  platform::StatusLine& status_line;
};

class BillsForm {
 public:
  // `window` holds the text boxes TxtTable and TxtDates and every control Form_Resize places
  // (bills_design.h). Throws RunTimeError 730 when one is missing.
  BillsForm(platform::Form& window, BillsControls controls, BillsServices services);

  // Fills the choices, chooses the last half-month ended by today's BS date, and reads the
  // start folder's TRAN.dbf when there is one. Throws the calendar's error 9 for a day past its
  // table, which ends the start; a table that cannot be read is reported and the window opens.
  void Form_Load();
  // Lays the controls out over the window's width and height. Never throws.
  void Form_Resize();
  // Lets the user pick a table with the Open dialog and lists its bills; a cancel changes
  // nothing.
  void CmdOpen_Click();
  // A new year, month or part of the month: the period's dates, and its bills listed again.
  void CboPeriod_Click();
  // The commission's choice: the bills shown again, with or without their payable column.
  void CboCommission_Click();
  // Asks where to save, then writes the member bills, the day sheet and the records as a
  // workbook; the destination is replaced only once the workbook is whole.
  void CmdWorkbook_Click();
  // Asks where to save, writes every member's slip as a PDF and opens it in the PDF viewer.
  void CmdSlips_Click();
  // Puts the member bills on the clipboard in the forms the main window's export gives.
  void CmdCopy_Click();

  // Every handler above except Form_Load catches its failures and shows one message,
  // "<number>: <description>", with the critical icon.

 private:
  PaymentPeriod ChosenPeriod() const;
  // The records of the chosen table and period, read again, and the bills made from them.
  void ReadBills();
  // The bills of the records read, with the commission's choice, into the window's list.
  void ShowBills();
  // The member bills of the records read as the commission's choice shows them.
  platform::MemoryListView MemberBills() const;
  // Has the user choose a file to save, with `filter` and a name made of the period; none for a
  // cancel, or when nothing has been read.
  std::optional<std::string> AskDestination(const char* filter, const char* extension);
  // Shows the error being handled; call inside a catch block.
  void Report();

  platform::Form& window_;
  BillsControls controls_;
  BillsServices services_;
  platform::Control& TxtTable;
  platform::Control& TxtDates;

  // The table file chosen (the Open dialog's file), empty before the first.
  std::string picked_;
  // The records read for the bills, of `read_period_`; none when nothing has been read.
  std::optional<platform::MemoryListView> records_;
  std::string read_table_;
  PaymentPeriod read_period_;
};

}  // namespace bills
