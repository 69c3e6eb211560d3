// The text the export hands on: the header line, "\r\n", then one line per item.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/list_view.h"

namespace exporter {

// Headers joined by tabs, "\r\n", then each item's text and its sub-items joined by tabs, the
// lines joined by "\r\n" with none after the last. A tab, CR or LF inside a text is written as a
// blank, so the text always has the list's rows and columns; texts are otherwise copied as they
// are: no quoting, no trimming. Throws RunTimeError 6 past 2,147,483,647 items or 32,767 columns.
std::string BuildExportText(const platform::ListView& list);

// The same text handed to `write` in pieces of about 64 KiB, in order, so a long list is never
// held a second time. The counts are checked before the first piece: RunTimeError 6 past
// 2,147,483,647 items or 32,767 columns. Throws what reading the list or `write` throws.
void WriteExportText(const platform::ListView& list,
                     const std::function<void(std::string_view)>& write);

// The counts WriteExportText checks first: RunTimeError 6 past 2,147,483,647 items or 32,767
// columns.
void CheckExportText(const platform::ListView& list);

}  // namespace exporter
