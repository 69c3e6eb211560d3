// The one place where twips (1440 to the inch) become pixels and back, at the logical resolution
// of the screen a widget is on: 15 twips to the pixel at 96 dpi.
#pragma once

class QWidget;

namespace platform::qt {

inline constexpr double kTwipsPerInch = 1440.0;

double TwipsPerPixel(const QWidget& widget);
// Rounded to the nearest pixel, within the sizes a widget can take.
int TwipsToPixels(double twips, const QWidget& widget);
// The fewest whole pixels that cover `twips`, within the sizes a widget can take.
int TwipsToWholePixels(double twips, const QWidget& widget);
float PixelsToTwips(int pixels, const QWidget& widget);

}  // namespace platform::qt
