// Showing a document the program has written in the program the desktop shows such files with:
// the PDF viewer for the slips, for printing.
#pragma once

#include <string>

namespace platform {

// Starts the desktop's program for the file at `path` (xdg-open on Linux, the shell's "open" on
// Windows) and returns once it has started; the program lives on by itself. Throws RunTimeError
// 53 when the desktop has no program to start, naming the file, which stays where it is.
void OpenDocument(const std::string& path);

}  // namespace platform
