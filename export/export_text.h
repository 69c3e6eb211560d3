// The text the export hands on: the header line, "\r\n", then one line per item.
#pragma once

#include <string>

#include "platform/list_view.h"

namespace exporter {

// Headers joined by tabs, "\r\n", then each item's text and its sub-items joined by tabs, the
// lines joined by "\r\n" with none after the last. Texts are copied as they are: no quoting, no
// trimming. Throws RunTimeError 6 past 2,147,483,647 items or 32,767 columns.
std::string BuildExportText(const platform::ListView& list);

}  // namespace exporter
