// The one place where twips (1440 to the inch) become pixels and back, at the resolution of the
// monitor a window is on: 15 twips to the pixel at 96 dpi, 10 at 144 dpi.
#pragma once

#include "platform/system/windows_api.h"

namespace platform::win32 {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr unsigned kDefaultDpi = 96;

// Asks Windows for each monitor's own resolution, so that windows are laid out in real pixels
// wherever they are shown. Where Windows cannot (before Windows 10), the whole screen's
// resolution is used. Call before the first window is made.
void BecomeDpiAware();

// The resolution of the monitor `window` is on; the screen's where a window has none of its own.
unsigned DpiOf(HWND window);

double TwipsPerPixel(unsigned dpi);
// Rounded to the nearest pixel, within the coordinates a window can take.
int TwipsToPixels(double twips, unsigned dpi);
float PixelsToTwips(int pixels, unsigned dpi);

// A font's height for CreateFont at `dpi`: the negative character height in pixels.
int FontHeight(double points, unsigned dpi);

}  // namespace platform::win32
