// Twips and pixels at the resolution of the monitor a window is on (platform/controls/twips.h).
#pragma once

#include "platform/controls/twips.h"
#include "platform/system/windows_api.h"

namespace platform::win32 {

// A function of user32.dll that only later Windows versions have, or null where it does not exist.
template <typename Function>
Function LaterUser32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// Asks Windows for each monitor's own resolution, so that windows are laid out in real pixels
// wherever they are shown. Where Windows cannot (before Windows 10), the whole screen's
// resolution is used. Call before the first window is made.
void BecomeDpiAware();

// The resolution of the monitor `window` is on; the screen's where a window has none of its own.
unsigned DpiOf(HWND window);

using platform::PixelsToTwips;
using platform::TwipsPerPixel;
// Rounded to the nearest pixel, within the coordinates a window can take.
int TwipsToPixels(double twips, unsigned dpi);

// A font's height for CreateFont at `dpi`: the negative character height in pixels.
int FontHeight(double points, unsigned dpi);

}  // namespace platform::win32
