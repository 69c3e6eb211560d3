// The system's own words for a failed call, for the descriptions of run-time errors.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The text of error `code`: an errno value on POSIX systems, a GetLastError() value on Windows.
// No closing full stop or line break.
std::string SystemErrorText(std::uint32_t code);

// `text` without the line breaks, spaces and full stops it ends with.
std::string WithoutClosingStop(std::string text);

}  // namespace platform
