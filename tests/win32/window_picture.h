// A picture of a window as the screen shows it, frame and title included, as a 24-bit BMP file.
#pragma once

#include <filesystem>

#include "platform/system/windows_api.h"

namespace win32_test {

// False when the picture could not be written.
bool SaveWindowPicture(HWND window, const std::filesystem::path& file);

}  // namespace win32_test
