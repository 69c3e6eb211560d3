// The window Kolvex as both window systems build it: its size when it opens and its title; each
// control in the tab order with its kind, caption, font, tooltip, start place and the handlers of
// its events; the Data menu and its item's key. Each window reads this table and makes its own
// toolkit's controls from it, so both show and route the same.
#pragma once

#include <string_view>

#include "app/main_form.h"
#include "platform/controls/placed_control.h"

namespace app::design {

// The inner area at start, in twips.
inline constexpr int kStartWidth = 14025;
inline constexpr int kStartHeight = 4560;

inline constexpr char kTitle[] = "Kolvex";

enum class ControlKind { kListView, kTextBox, kLabel, kButton, kMaskedBox };

// A handler of the form's, or none.
using Handler = void (MainForm::*)();

struct ControlDesign {
  const char* name;
  ControlKind kind;
  // A label's or a button's text; empty for the others.
  const char* caption;
  // The font family the control names, at kNamedFontPoints, normal weight, in the Western
  // character set; null for the window system's default.
  const char* font;
  // What hovering over the control says; null for nothing.
  const char* tip;
  // Where the control starts, in twips, before the first resize lays it out.
  platform::PlacedControl::Twips twips;
  Handler click = nullptr;
  Handler got_focus = nullptr;
  Handler lost_focus = nullptr;
};

// The size of the fonts the controls name.
inline constexpr double kNamedFontPoints = 9.75;

inline constexpr char kDateMask[] = "####/##/##";
inline constexpr char kDatePrompt = '_';

// The controls in the tab order; the list has the focus at start.
inline constexpr ControlDesign kControls[] = {
    {"ListView1", ControlKind::kListView, "", "Arial", nullptr, {120, 720, 13695, 3735}},
    {"TxtFile",
     ControlKind::kTextBox,
     "",
     "MS Sans Serif",
     "The file last chosen with Browse Database; the status line says which table the list holds",
     {1320, 240, 5655, 375}},
    {"Label1", ControlKind::kLabel, "File Name", "MS Sans Serif", nullptr, {120, 240, 1215, 240}},
    {"CmdBrowse",
     ControlKind::kButton,
     "Browse Database",
     nullptr,
     nullptr,
     {12120, 240, 1695, 375},
     &MainForm::CmdBrowse_Click},
    {"TxtFrom",
     ControlKind::kMaskedBox,
     "",
     nullptr,
     "First BS date of the range, yyyy/mm/dd",
     {7200, 240, 1935, 375},
     nullptr,
     &MainForm::TxtFrom_GotFocus,
     &MainForm::TxtFrom_LostFocus},
    {"TxtTo",
     ControlKind::kMaskedBox,
     "",
     nullptr,
     "Last BS date of the range, yyyy/mm/dd",
     {9240, 240, 1935, 375},
     nullptr,
     &MainForm::TxtTo_GotFocus,
     &MainForm::TxtTo_LostFocus},
};

// The control `name`: one of kControls.
constexpr const ControlDesign& ControlNamed(std::string_view name) {
  for (const ControlDesign& control : kControls) {
    if (name == control.name) return control;
  }
  return kControls[0];
}

// The menu bar's one menu; "&" marks the letter Alt opens it with.
inline constexpr char kMenuName[] = "MnuData";
inline constexpr char kMenuCaption[] = "&Data";

struct MenuItemDesign {
  const char* name;
  const char* caption;
  // The capital letter that runs it with Ctrl, from any control.
  char ctrl_key;
  Handler click;
};

inline constexpr MenuItemDesign kDataMenu[] = {
    {"MnuExcel", "Export to Excel", 'E', &MainForm::MnuExcel_Click},
};

}  // namespace app::design
