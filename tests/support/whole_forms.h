// The clipboard forms of a list made whole, each as the bytes a paste of it gets: for the tests
// and the benchmarks, which compare and measure forms the export itself only ever writes in
// pieces to the clipboard.
#pragma once

#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/list_view.h"

namespace support {

// Every form exporter::ClipboardForms offers for `list`, in its order, each made whole. Throws
// what ClipboardForms and the forms throw.
std::vector<platform::ClipboardFlavour> BuildClipboardFlavours(const platform::ListView& list);

// The SYLK form of `list` (for Calc), the Gnumeric range and the Windows "HTML Format", whole.
std::string BuildSylk(const platform::ListView& list);
std::string BuildGnumericRange(const platform::ListView& list);
std::string BuildWindowsHtml(const platform::ListView& list);

}  // namespace support
