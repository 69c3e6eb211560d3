// The "Export to Excel" command: the list goes to the clipboard as text, made whole first, with
// the typed forms spreadsheets prefer beside it, then the spreadsheet program opens a new workbook
// for the user to paste into.
#pragma once

#include <functional>

#include "platform/automation.h"
#include "platform/clipboard.h"
#include "platform/controls/memory_list_view.h"
#include "platform/message_box.h"

namespace exporter {

// Builds the export text of `list` whole (BuildExportText), clears the clipboard and puts the
// text on it, with the typed forms spreadsheets prefer beside it (ClipboardForms, each made from
// a snapshot of the list when a program asks for it; left off when no snapshot can be taken),
// then calls `paste_data`. Reports any failure as "<number>: <description>" with the critical
// icon; never throws. A failure while the text is made leaves the clipboard untouched. The list
// is only read, and may change afterwards without changing what a paste gets. `for_calc`: the
// forms are those for Calc (ClipboardForms).
void MnuExcel_Click(const platform::ListView& list, platform::Clipboard& clipboard,
                    platform::MessageBox& message_box, const std::function<void()>& paste_data,
                    bool for_calc = false);

// The same with PasteData over `objects`, the forms those for the program it starts.
void MnuExcel_Click(const platform::ListView& list, platform::Clipboard& clipboard,
                    platform::ObjectFactory& objects, platform::MessageBox& message_box);

// Builds a table with `make` (a summary of the list, say) and hands it over as MnuExcel_Click
// hands the list. A failure of `make` is reported as MnuExcel_Click reports one, and leaves the
// clipboard untouched. Never throws.
void TableToExcel(const std::function<platform::MemoryListView()>& make,
                  platform::Clipboard& clipboard, platform::ObjectFactory& objects,
                  platform::MessageBox& message_box);

// Creates "excel.application", adds a workbook, shows "Press [CTRL+V] key to paste the data."
// and then makes the application visible. Catches nothing.
void PasteData(platform::ObjectFactory& objects, platform::MessageBox& message_box);

}  // namespace exporter
