// What the Kolvex window shows on either window system: its size when it opens, its title, where
// each control starts, the date boxes' mask and the tooltips.
#pragma once

#include <string_view>

#include "platform/controls/placed_control.h"

namespace app::look {

// The inner area at start, in twips.
inline constexpr int kStartWidth = 14025;
inline constexpr int kStartHeight = 4560;

inline constexpr char kTitle[] = "Kolvex";

// Where each of the form's controls starts, in twips, before the first resize lays them out.
struct ControlStart {
  const char* name;
  platform::PlacedControl::Twips twips;
};
inline constexpr ControlStart kControls[] = {
    {"ListView1", {120, 720, 13695, 3735}}, {"TxtFile", {1320, 240, 5655, 375}},
    {"Label1", {120, 240, 1215, 240}},      {"CmdBrowse", {12120, 240, 1695, 375}},
    {"TxtFrom", {7200, 240, 1935, 375}},    {"TxtTo", {9240, 240, 1935, 375}},
};

// The start of the control `name`: one of kControls.
constexpr platform::PlacedControl::Twips StartOf(std::string_view name) {
  for (const ControlStart& control : kControls) {
    if (name == control.name) return control.twips;
  }
  return {};
}

inline constexpr char kDateMask[] = "####/##/##";
inline constexpr char kDatePrompt = '_';
// The size of the fonts the controls name.
inline constexpr double kNamedFontPoints = 9.75;
inline constexpr char kFromTip[] = "First BS date of the range, yyyy/mm/dd";
inline constexpr char kToTip[] = "Last BS date of the range, yyyy/mm/dd";
inline constexpr char kFileTip[] =
    "The file last chosen with Browse Database; the status line says which table the list holds";

}  // namespace app::look
