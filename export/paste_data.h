// The "Export to Excel" command: the list goes to the clipboard as text, with the typed forms
// spreadsheets prefer beside it, then the spreadsheet program opens a new workbook for the user to
// paste into.
#pragma once

#include <functional>
#include <memory>

#include "platform/automation.h"
#include "platform/clipboard.h"
#include "platform/controls/memory_list_view.h"
#include "platform/message_box.h"

namespace exporter {

// Offers a snapshot of `list` on the clipboard (OfferTable), then calls PasteData. Reports any
// failure as "<number>: <description>" with the critical icon; never throws. The list is only
// read, and may change afterwards without changing what a paste gets.
void MnuExcel_Click(const platform::ListView& list, platform::Clipboard& clipboard,
                    platform::ObjectFactory& objects, platform::MessageBox& message_box);

// Clears the clipboard and offers `table` on it in one change: the export text and the typed
// flavours (clipboard_flavours.h), each made from `table` when a program asks for it. `table`
// must not change while it is on the clipboard. Throws RunTimeError 6 for a table too large for
// them, before the clipboard is touched, and what the clipboard throws.
void OfferTable(std::shared_ptr<const platform::ListView> table, platform::Clipboard& clipboard);

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
