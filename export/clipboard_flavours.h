// The list in the clipboard forms spreadsheets prefer to plain text on a paste, each carrying
// every cell's type, so that a member code "00123" or a BS date "2081/01/05" arrives as that text
// and a number as that number whatever the spreadsheet's language. The plain export text is in
// export_text.h.
//
// Which cells are numbers: those of a number column whose text ExactNumber takes. Every other
// cell is text, taken as it is (a text beginning with "=" is never a formula), the header row
// included; an empty text leaves its cell empty.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/list_view.h"

namespace exporter {

// LibreOffice Calc's SYLK flavour on X11, which it pastes without asking anything.
inline constexpr char kSylkMimeType[] = "application/x-openoffice-sylk;windows_formatname=\"Sylk\"";
// Gnumeric's own cell range flavour.
inline constexpr char kGnumericMimeType[] = "application/x-gnumeric";
// The Windows clipboard's HTML, which Excel prefers to text.
inline constexpr char kHtmlWindowsFormat[] = "HTML Format";

// The list as an HTML page holding one table, in UTF-8: text cells carry Excel's text format and
// Calc's, number cells their value for both. The table lies between the "<!--StartFragment-->"
// and "<!--EndFragment-->" comments. Throws as ClipboardForms does.
std::string BuildHtmlTable(const platform::ListView& list);

// Everything offered beside the export text: SYLK for Calc and the Gnumeric range on X11 and
// Wayland, and "HTML Format" on Windows, or `for_calc` SYLK alone there (Windows' own SYLK
// format): Calc reads an offered "HTML Format" ahead of everything else and asks how to import it
// at each paste, while it pastes SYLK as it stands. Each is made from `table` only when a program
// asks for it,
// written in pieces straight to the clipboard's writer. They hold `table`, which must not change
// while they are on the clipboard: give them a snapshot (ListView::Snapshot). Throws RunTimeError 6
// here for a table of 2^32 - 1 rows or columns or more; a form throws what reading the table
// throws.
std::vector<platform::ClipboardForm> ClipboardForms(std::shared_ptr<const platform::ListView> table,
                                                    bool for_calc = false);

}  // namespace exporter
