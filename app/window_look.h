// What the Kolvex window shows on either window system, beside the form's own controls: its size
// when it opens, its title, the date boxes' mask and the tooltips.
#pragma once

namespace app::look {

// The inner area at start, in twips.
inline constexpr int kStartWidth = 14025;
inline constexpr int kStartHeight = 4560;

inline constexpr char kTitle[] = "Kolvex";
inline constexpr char kDateMask[] = "####/##/##";
inline constexpr char kDatePrompt = '_';
// The size of the fonts the controls name.
inline constexpr double kNamedFontPoints = 9.75;
inline constexpr char kFromTip[] = "First BS date of the range, yyyy/mm/dd";
inline constexpr char kToTip[] = "Last BS date of the range, yyyy/mm/dd";
// The Data menu's summaries of the listed records, each below Export to Excel with its key, a
// letter pressed with Ctrl.
inline constexpr char kMemberSummaryText[] = "Member Summary to Excel";
inline constexpr char kMemberSummaryKey = 'M';
inline constexpr char kDaySummaryText[] = "Day Summary to Excel";
inline constexpr char kDaySummaryKey = 'D';
inline constexpr char kFileTip[] =
    "The file last chosen with Browse Database; the status line says which table the list holds";

}  // namespace app::look
