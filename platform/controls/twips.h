// The one place where twips (1440 to the inch) become pixels and back, at a screen's resolution in
// dots per inch: 15 twips to the pixel at 96 dpi, 10 at 144 dpi. Each window system's twips.h
// says which resolution a control is shown at.
#pragma once

namespace platform {

inline constexpr double kTwipsPerInch = 1440.0;
// Taken for a resolution of 0, which no screen has.
inline constexpr unsigned kDefaultDpi = 96;

double TwipsPerPixel(unsigned dpi);
// Rounded to the nearest pixel, within -`limit` to `limit`, the coordinates the window system
// takes; a NaN is 0.
int TwipsToPixels(double twips, unsigned dpi, double limit);
float PixelsToTwips(int pixels, unsigned dpi);

}  // namespace platform
