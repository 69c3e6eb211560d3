#include "app/main_form.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

#include "calendar/cdn_date.h"
#include "data/load_data.h"
#include "export/paste_data.h"
#include "platform/current_error.h"
#include "platform/system/date_services.h"

namespace app {
namespace {

constexpr std::uint8_t kBsCalendar = 2;
constexpr char kDatabaseFilter[] = "DBF File|*.dbf";
constexpr char kTableName[] = "TRAN";

// Gaps the layout keeps to the window's edges, in twips.
constexpr float kButtonRightGap = 130;
constexpr float kListSideGaps = 260;
constexpr float kListBottomGap = 130;

int CharacterCount(std::string_view utf8) {
  int count = 0;
  for (const char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

}  // namespace

MainForm::MainForm(platform::Form& window, platform::ListView& list, FormServices services)
    : window_(window),
      list_(list),
      services_(services),
      ListView1(window.Controls("ListView1")),
      TxtFile(window.Controls("TxtFile")),
      CmdBrowse(window.Controls("CmdBrowse")),
      TxtFrom(window.Controls("TxtFrom")),
      TxtTo(window.Controls("TxtTo")) {}

void MainForm::Form_Load() {
  const std::string today = cdnDate::AdToBs(platform::DateToText(platform::Today()));
  TxtFrom.Text().SetText(today);
  TxtTo.Text().SetText(today);
}

void MainForm::Form_Resize() {
  try {
    CmdBrowse.SetLeft(window_.ScaleWidth() - CmdBrowse.Width() - kButtonRightGap);
    ListView1.SetWidth(window_.ScaleWidth() - kListSideGaps);
    ListView1.SetHeight(window_.ScaleHeight() - ListView1.Top() - kListBottomGap);
  } catch (...) {
    // A window too small for the list, or minimised: what is done stays, the rest waits for
    // the next resize.
  }
}

void MainForm::CmdBrowse_Click() {
  progress_ = {};
  try {
    services_.CD.SetFilter(kDatabaseFilter);
    services_.CD.ShowOpen();
    LoadChosenTable();
  } catch (...) {
    ReportLoadFailure();
  }
}

void MainForm::LoadChosenTable() {
  TxtFile.Text().SetText(services_.CD.FileName());
  if (TxtFile.Text().Text().empty()) return;
  platform::BusyPointer busy(services_.pointer);
  // Read one after the other: the order of a call's arguments is not fixed.
  std::string path = TxtFile.Text().Text();
  std::string from = TxtFrom.Text().Text();
  std::string to = TxtTo.Text().Text();
  // The load walks from the earlier date to the later, dates compared as whole texts.
  loading_ = {services_.provider.TableFile(path, kTableName), 0, std::min(from, to),
              std::max(from, to), false};
  LoadData(path, std::move(from), std::move(to));
  loading_.records = list_.ItemCount();
  loading_.complete = true;
  content_ = loading_;
  ShowStatus(data::StatusAfterLoad(*content_, path));
}

void MainForm::ReportLoadFailure() {
  // The pointer is the default again here: the busy guard has gone with the scope.
  const platform::RunTimeError error = platform::CurrentError();
  try {
    if (progress_.list_replaced) {
      loading_.records = list_.ItemCount();
      content_ = loading_;
    }
    ShowStatus(data::StatusAfterFailure(error.advice(), content_, !progress_.list_replaced));
  } catch (...) {
    // The message below still tells what went wrong.
  }
  services_.message_box.Show(error.Prompt(), platform::MessageIcon::kCritical);
}

void MainForm::ShowStatus(const std::string& text) {
  if (services_.status_line != nullptr) services_.status_line->SetText(text);
}

void MainForm::TxtFrom_GotFocus() { SelectAll(window_, TxtFrom); }

void MainForm::TxtTo_GotFocus() { SelectAll(window_, TxtTo); }

void MainForm::TxtFrom_LostFocus() {
  try {
    cdnDate::CheckDateBox(TxtFrom.Text(), kBsCalendar);
  } catch (...) {
    // The box keeps what the check had written; leaving a box never brings a message.
  }
}

void MainForm::TxtTo_LostFocus() {
  try {
    cdnDate::CheckDateBox(TxtTo.Text(), kBsCalendar);
  } catch (...) {
    // As for TxtFrom.
  }
}

void MainForm::MnuExcel_Click() {
  exporter::MnuExcel_Click(
      list_, services_.clipboard, services_.message_box, [this] { PasteData(); },
      services_.spreadsheet.StartsCalc());
}

void MainForm::SelectAll(platform::Form& Frm, platform::Control& Ctl) {
  Frm.Controls(Ctl.Name()).Text().SetSelStart(0);
  const int length = CharacterCount(Frm.Controls(Ctl.Name()).Text().Text());
  Frm.Controls(Ctl.Name()).Text().SetSelLength(length);
}

void MainForm::LoadData(std::string StrFile, std::string DFrom, std::string dTo) {
  data::LoadData(list_, std::move(StrFile), std::move(DFrom), std::move(dTo), services_.provider,
                 &progress_);
}

void MainForm::PasteData() { exporter::PasteData(services_.spreadsheet, services_.message_box); }

}  // namespace app
