// The window Kolvex Bills as both window systems build it: its size when it opens and its title,
// and each control in the tab order with its kind, caption, tooltip, start place and the handler
// of its event (a button's click, a new choice in a choice box). Each window reads this table and
// makes its own toolkit's controls from it; BillsForm::Form_Resize lays them out from there.
#pragma once

#include <string_view>

#include "app/bills/bills_form.h"
#include "platform/controls/placed_control.h"

namespace bills::design {

// The inner area at start, in twips.
inline constexpr int kStartWidth = 12600;
inline constexpr int kStartHeight = 6600;

inline constexpr char kTitle[] = "Kolvex Bills";

enum class ControlKind { kListView, kTextBox, kLabel, kButton, kChoiceBox };

using Handler = void (BillsForm::*)();

struct ControlDesign {
  const char* name;
  ControlKind kind;
  // A label's or a button's text, "&" before the letter Alt takes it with; empty for the others.
  const char* caption;
  // What hovering over the control says; null for nothing.
  const char* tip;
  platform::PlacedControl::Twips twips;
  Handler click = nullptr;
  // A text box the user reads but does not type into.
  bool read_only = false;
};

// The controls in the tab order; the Open button has the focus at start. A label's "&" letter
// takes the focus to the control after it.
inline constexpr ControlDesign kControls[] = {
    {"LblTable", ControlKind::kLabel, "&Table", nullptr, {120, 165, 900, 255}},
    {"TxtTable",
     ControlKind::kTextBox,
     "",
     "The TRAN.dbf read; the status line says when another file was picked",
     {1080, 120, 9345, 345},
     nullptr,
     true},
    {"CmdOpen",
     ControlKind::kButton,
     "&Open Table...",
     "Choose the TRAN.dbf of the collections",
     {10545, 105, 1935, 375},
     &BillsForm::CmdOpen_Click},
    {"LblPeriod", ControlKind::kLabel, "&Period", nullptr, {120, 645, 900, 255}},
    {"CboYear",
     ControlKind::kChoiceBox,
     "",
     "The BS year",
     {1080, 600, 1095, 345},
     &BillsForm::CboPeriod_Click},
    {"CboMonth",
     ControlKind::kChoiceBox,
     "",
     "The BS month",
     {2280, 600, 1575, 345},
     &BillsForm::CboPeriod_Click},
    {"CboPart",
     ControlKind::kChoiceBox,
     "",
     "The half of the month, or the whole month",
     {3960, 600, 2535, 345},
     &BillsForm::CboPeriod_Click},
    {"TxtDates",
     ControlKind::kTextBox,
     "",
     "The period's first and last BS dates",
     {6600, 600, 2775, 345},
     nullptr,
     true},
    {"ListBills", ControlKind::kListView, "", nullptr, {120, 1080, 12360, 4920}},
    {"LblCommission", ControlKind::kLabel, "Co&mmission", nullptr, {120, 6165, 1095, 255}},
    {"CboCommission",
     ControlKind::kChoiceBox,
     "",
     "Shown apart, or added to or taken from the amount in a column \"payable\"",
     {1260, 6120, 2175, 345},
     &BillsForm::CboCommission_Click},
    {"CmdWorkbook",
     ControlKind::kButton,
     "Save &Workbook...",
     "The member bills, the day sheet and the records as an Excel workbook",
     {6600, 6105, 1815, 375},
     &BillsForm::CmdWorkbook_Click},
    {"CmdSlips",
     ControlKind::kButton,
     "Save &Slips...",
     "Each member's slip as a PDF, opened for printing",
     {8520, 6105, 1815, 375},
     &BillsForm::CmdSlips_Click},
    {"CmdCopy",
     ControlKind::kButton,
     "&Copy to Clipboard",
     "The member bills, to paste into a spreadsheet",
     {10440, 6105, 2040, 375},
     &BillsForm::CmdCopy_Click},
};

// The control `name`: one of kControls.
constexpr const ControlDesign& ControlNamed(std::string_view name) {
  for (const ControlDesign& control : kControls) {
    if (name == control.name) return control;
  }
  return kControls[0];
}

}  // namespace bills::design
