// Starting another program that lives on by itself: the spreadsheet program the export opens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Starts the program `argv[0]` (a full path) with the arguments `argv[1...]` as a program of its
// own: it is not our child, it stays when we exit and, on POSIX systems, it runs in a session of
// its own with its standard streams on the null device and none of our other files open, and is
// never left behind as a zombie. Returns once the program has started. Throws RunTimeError 429
// when it cannot be started, naming the program and the system's reason.
void StartProgram(const std::vector<std::string>& argv);

#ifndef _WIN32

// The full path of the executable file `name` in the first folder of `search_path` (folders
// separated by ':', as in PATH) that holds one, or "" when none does. Empty and relative folders
// are skipped, so a program is never picked up from whatever the current folder happens to be.
std::string FindProgram(std::string_view name, std::string_view search_path);

// The search path of this process: PATH, or the system's default folders when PATH is unset.
std::string ProgramSearchPath();
#endif

}  // namespace platform
